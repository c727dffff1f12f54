# The reference codecs our imaging library's readers and writers sit on.
find_package(PkgConfig REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)
find_package(GIF REQUIRED)
pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux libwebpmux)
# The reentrant build: LibRaw's plain one keeps decoder state in globals.
pkg_check_modules(LIBRAW REQUIRED IMPORTED_TARGET libraw_r)
pkg_check_modules(IMAGEQUANT REQUIRED IMPORTED_TARGET imagequant)

target_link_libraries(drovane_engine PUBLIC
  PNG::PNG JPEG::JPEG TIFF::TIFF GIF::GIF
  PkgConfig::WEBP PkgConfig::LIBRAW PkgConfig::IMAGEQUANT)

# The Linux tablet reads pen devices through libevdev.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBEVDEV REQUIRED IMPORTED_TARGET libevdev)
  target_link_libraries(drovane_engine PUBLIC PkgConfig::LIBEVDEV)
endif()

# Text and devices: FreeType draws the glyphs, fontconfig finds the font files (Linux backend).
find_package(PkgConfig REQUIRED)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
target_link_libraries(drovane_engine PUBLIC PkgConfig::FREETYPE)
if(NOT WIN32)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  target_link_libraries(drovane_engine PUBLIC PkgConfig::FONTCONFIG)
endif()

# Scanners: SANE on Linux (TWAIN is the Win32 backend's).
if(NOT WIN32)
  pkg_check_modules(SANE REQUIRED IMPORTED_TARGET sane-backends)
  target_link_libraries(drovane_engine PUBLIC PkgConfig::SANE)
endif()

# The Win32 backend's font dialog and font table.
if(WIN32)
  target_link_libraries(drovane_engine PUBLIC comdlg32 advapi32)
endif()

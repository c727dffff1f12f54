# What the clipboard, screen capture and document export sit on: libharu for PDF and,
# on Linux, Xlib for screen capture (the Windows backend uses GDI).
# libharu's own build names its static archive hpdfs (the Windows build links that one).
find_library(HPDF_LIBRARY NAMES hpdf hpdfs REQUIRED)
find_path(HPDF_INCLUDE_DIR hpdf.h REQUIRED)
target_include_directories(drovane_engine PRIVATE ${HPDF_INCLUDE_DIR})
target_link_libraries(drovane_engine PUBLIC ${HPDF_LIBRARY} PNG::PNG)
if(NOT WIN32)
  find_package(X11 REQUIRED)
  target_link_libraries(drovane_engine PUBLIC X11::X11)
endif()

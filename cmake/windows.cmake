# The Windows DLL: everything linked statically (libstdc++, libgcc, libgomp, winpthread
# and the third-party libraries), so its imports are system DLLs only, and exports named
# by the generated .def file without the stdcall decoration (DRO_Foo, not DRO_Foo@8).
set(DROVANE_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
target_link_options(drovane PRIVATE ${DROVANE_STATIC_RUNTIME}
                    -Wl,--kill-at -Wl,--enable-stdcall-fixup -Wl,--no-undefined)
set_property(TARGET drovane APPEND PROPERTY LINK_DEPENDS ${DROVANE_DEF_FILE})
set_target_properties(drovane PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The command-line host and the test program beside the DLL, where Windows finds it.
add_link_options(${DROVANE_STATIC_RUNTIME})
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Windows cannot copy a process, so camera raw parsing runs in this worker program, which
# ships beside the DLL (Linux runs it in a copy of the host's process instead).
add_executable(drovane_worker ${CMAKE_SOURCE_DIR}/tools/drovane-worker/main.cpp)
set_target_properties(drovane_worker PROPERTIES OUTPUT_NAME drovane-worker)
target_link_libraries(drovane_worker PRIVATE drovane_engine)
add_dependencies(drovane drovane_worker)

# Static archives carry no record of what they need: name it, in link order.
set_property(TARGET PNG::PNG APPEND PROPERTY INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
set_property(TARGET TIFF::TIFF APPEND PROPERTY INTERFACE_LINK_LIBRARIES JPEG::JPEG ZLIB::ZLIB)
target_link_libraries(drovane_engine PUBLIC user32 gdi32 kernel32)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_custom_command(TARGET drovane POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL}
            -DARCHIVE=$<TARGET_FILE:drovane_engine> -DLIST=${DROVANE_EXPORTS_LIST}
            -DDEF=${CMAKE_BINARY_DIR}/drovane-stdcall.def -DDLL=drovane.dll
            -DIMPLIB=$<TARGET_LINKER_FILE:drovane> -P ${CMAKE_SOURCE_DIR}/cmake/windows_import_library.cmake
    COMMENT "Import library with the stdcall link names")
endif()

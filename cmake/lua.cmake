# Filter scripts run on LuaJIT 2.1 through the Lua 5.1 interface (Debian's
# libluajit2-5.1-dev; its pkg-config name is luajit).
find_package(PkgConfig REQUIRED)
pkg_check_modules(LUAJIT REQUIRED IMPORTED_TARGET luajit>=2.1)
target_link_libraries(drovane_engine PUBLIC PkgConfig::LUAJIT)

# Cross build for 32-bit Windows with Debian's mingw-w64 (posix threading model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# jsoncpp, pugixml and expat for this target are built from Debian's source packages by scripts/setup.sh.
if(DEFINED ENV{MIRELO_DEPS_CACHE})
    set(MIRELO_DEPS_PREFIX "$ENV{MIRELO_DEPS_CACHE}/i686-w64-mingw32")
else()
    set(MIRELO_DEPS_PREFIX "/var/cache/mirelo-deps/i686-w64-mingw32")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 "${MIRELO_DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows test programs run under Wine through CTest.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")

# Cross build for Windows with Debian's mingw-w64 (posix threading model). The including toolchain
# file sets MIRELO_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MIRELO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRELO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRELO_MINGW_TRIPLE}-windres)

# jsoncpp, pugixml and expat for this target are built from Debian's source packages by scripts/setup.sh.
if(DEFINED ENV{MIRELO_DEPS_CACHE})
    set(MIRELO_DEPS_PREFIX "$ENV{MIRELO_DEPS_CACHE}/${MIRELO_MINGW_TRIPLE}")
else()
    set(MIRELO_DEPS_PREFIX "/var/cache/mirelo-deps/${MIRELO_MINGW_TRIPLE}")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${MIRELO_MINGW_TRIPLE} "${MIRELO_DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows test programs run under Wine through CTest.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")

# Release programs ship without the debugging sections the static runtime and libraries bring
# along: the program file is half as large, and Wine maps it at every start.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")

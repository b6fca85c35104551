# The same sources for 64-bit Windows: what the Wine tests run on machines that cannot run 32-bit
# programs (scripts/windows-target.sh).
set(MIRELO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Cross toolchain for the 32-bit Windows program (i686-w64-mingw32, posix thread model).
set(PAKSCOUR_MINGW_TRIPLE i686-w64-mingw32)
set(PAKSCOUR_MINGW_PROCESSOR i686)
set(PAKSCOUR_WINE_NAMES wine)
# The tests' Windows exit codes reach ctest through a 64-bit start /wait (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine32-run.sh)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Cross toolchain for the 32-bit Windows program (i686-w64-mingw32, posix thread model).
set(PAKSCOUR_MINGW_TRIPLE i686-w64-mingw32)
set(PAKSCOUR_MINGW_PROCESSOR i686)
set(PAKSCOUR_WINE_NAMES wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

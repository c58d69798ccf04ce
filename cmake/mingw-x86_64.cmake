# Cross toolchain for a 64-bit build of the same sources (x86_64-w64-mingw32, posix thread model),
# used to run the Windows tests under wine64 on hosts that cannot run 32-bit programs.
set(PAKSCOUR_MINGW_TRIPLE x86_64-w64-mingw32)
set(PAKSCOUR_MINGW_PROCESSOR x86_64)
set(PAKSCOUR_WINE_NAMES wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

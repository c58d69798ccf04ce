# Shared part of the MinGW-w64 cross toolchains: static runtime, the doctest header without the
# host's /usr/include, and Wine as the emulator so ctest runs the cross-compiled tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PAKSCOUR_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${PAKSCOUR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PAKSCOUR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PAKSCOUR_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PAKSCOUR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: the executables need only Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# doctest is header-only; expose a folder holding just that header, so the cross compiler never
# searches the host's /usr/include.
if(NOT DOCTEST_INCLUDE_DIR AND EXISTS /usr/include/doctest/doctest.h)
    set(_doctest_dir ${CMAKE_BINARY_DIR}/doctest-include)
    file(COPY /usr/include/doctest DESTINATION ${_doctest_dir})
    set(DOCTEST_INCLUDE_DIR ${_doctest_dir} CACHE PATH "Folder holding doctest/doctest.h")
endif()

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(PAKSCOUR_WINE NAMES ${PAKSCOUR_WINE_NAMES} PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
    if(PAKSCOUR_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${PAKSCOUR_WINE})
    endif()
endif()

# -O2 rather than -O3: GCC 12's -O3 reports a false -Wrestrict on std::string concatenation
# (GCC bug 105651), which -Werror would turn into a failed build.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of Release builds")

# Cross-compiles for Windows with Debian's mingw-w64; the toolchain file of each processor sets
# DRAVIX_MINGW_TARGET and DRAVIX_WINE_LOADER and includes this one. The compilers are those of the
# win32 thread model: Dravix starts no thread, and the POSIX model's thread library would import a
# function that Windows XP lacks (GetTickCount64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${DRAVIX_MINGW_TARGET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${DRAVIX_MINGW_TARGET}-g++-win32)
set(CMAKE_RC_COMPILER ${DRAVIX_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DRAVIX_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes linked in: a program runs without the compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# What the build makes, the tests among them, runs under Wine: Debian's wine64 holds the loader of
# 64-bit programs, wine32:i386 that of 32-bit ones. scripts/test_windows.sh finds out how this
# machine runs the 32-bit loader.
find_program(DRAVIX_WINE ${DRAVIX_WINE_LOADER} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(DRAVIX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh ${DRAVIX_WINE})
endif()

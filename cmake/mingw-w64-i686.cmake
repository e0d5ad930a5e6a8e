# 32-bit Windows (x86). Wine runs a 32-bit Windows program as a 32-bit Linux program, which not
# every Linux kernel runs; where one does, name Wine as CMAKE_CROSSCOMPILING_EMULATOR and the tests
# run too. Without it they are built, and only the checks of the program's file run.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(DRAVIX_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# 64-bit Windows (x64). What it builds, the tests among them, runs under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DRAVIX_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

find_program(DRAVIX_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(DRAVIX_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh
                                      ${DRAVIX_WINE64})
endif()

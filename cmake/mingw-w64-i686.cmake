# 32-bit Windows (x86), run under Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(DRAVIX_MINGW_TARGET i686-w64-mingw32)
set(DRAVIX_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

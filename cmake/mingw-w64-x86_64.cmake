# 64-bit Windows (x64), run under Wine's 64-bit loader.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DRAVIX_MINGW_TARGET x86_64-w64-mingw32)
set(DRAVIX_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

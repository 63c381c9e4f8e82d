# Cross-compiles for 64-bit Windows (PE32+, x86-64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VARNELO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

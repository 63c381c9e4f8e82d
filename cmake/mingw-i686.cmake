# Cross-compiles for 32-bit Windows (PE32, i686): the varnelo.exe that users get.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VARNELO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/i686.cmake)

# Cross-compiles for 64-bit Windows (PE32+, x86-64). This kernel runs no 32-bit programs,
# so this is the build whose programs and tests run here, under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VARNELO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# ctest and GoogleTest's test discovery start the test programs through this.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine64-run.sh)

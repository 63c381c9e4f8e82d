# Shared part of the mingw-w64 cross toolchains; the including file sets CMAKE_SYSTEM_PROCESSOR
# and VARNELO_MINGW_TRIPLET.
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)

# The -posix compilers: their libstdc++ has std::thread and std::mutex, which GoogleTest uses.
varnelo_cross_compilers(Windows ${CMAKE_SYSTEM_PROCESSOR} ${VARNELO_MINGW_TRIPLET} -posix)
set(CMAKE_RC_COMPILER ${VARNELO_MINGW_TRIPLET}-windres)

# A bare Windows has no libgcc, libstdc++ or winpthread DLLs: all of them are linked in.
varnelo_static_from_sysroot(/usr/${VARNELO_MINGW_TRIPLET})

# ctest and GoogleTest's test discovery start the test programs of either build through this.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine.sh)

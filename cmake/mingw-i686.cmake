# Cross-compiles for 32-bit Windows (PE32, i686): the varnelo.exe that users get.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VARNELO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# This target has no vector registers, so GCC's vectoriser can only pack four bytes into a
# general register, which gains next to nothing; and GCC 12 turns the mix's byte-wise
# (a * b) >> 8 into one 32-bit multiply of four packed bytes, keeping the high half: noise
# wherever the spot lights the scene. Without the vectoriser every byte is multiplied alone.
# A compile option rather than an initial flag, so that a build folder configured before
# this line also gets it.
add_compile_options(-fno-tree-vectorize)

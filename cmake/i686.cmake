# What every 32-bit x86 build of varnelo shares: included by the toolchain files of varnelo.exe
# and of the i686 Linux build that checks the same code under an emulator.

# This target has no vector registers, so GCC's vectoriser can only pack four bytes into a
# general register, which gains next to nothing; and GCC 12 turns the mix's byte-wise
# (a * b) >> 8 into one 32-bit multiply of four packed bytes, keeping the high half: noise
# wherever the spot lights the scene. Without the vectoriser every byte is multiplied alone.
# A compile option rather than an initial flag, so that a build folder configured before
# this line also gets it.
add_compile_options(-fno-tree-vectorize)

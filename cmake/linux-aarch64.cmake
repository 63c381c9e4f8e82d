# Cross-compiles varnelo for 64-bit ARM Linux (Raspberry Pi OS, Debian and Ubuntu on arm64)
# against the arm64 libraries of Debian's multiarch; its programs run here under qemu-aarch64.
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
varnelo_cross_compilers(Linux aarch64 aarch64-linux-gnu "")
# SDL2 and the rest are found in the multiarch folders of that architecture.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)

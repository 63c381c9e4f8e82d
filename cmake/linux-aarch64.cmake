# Cross-compiles varnelo for 64-bit ARM Linux (Raspberry Pi OS, Debian and Ubuntu on arm64)
# against the arm64 libraries of Debian's multiarch; its programs run here under qemu-aarch64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# SDL2 and the rest are found in the multiarch folders of that architecture.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)

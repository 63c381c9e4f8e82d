# Cross-compiles the parts of varnelo that need no Windows (pictures, compositor, varnelo-render
# and their tests) for 32-bit x86 Linux, with the GCC and the flags of varnelo.exe, so that the
# 32-bit code runs under QEMU's user-mode emulator where the kernel runs no 32-bit programs.
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
varnelo_cross_compilers(Linux i686 i686-linux-gnu "")
# Static, as varnelo.exe is: the emulator then needs no i386 libraries on the machine.
varnelo_static_from_sysroot(/usr/i686-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/i686.cmake)

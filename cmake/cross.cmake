# What the cross toolchain files share, written once: the target's system and compilers, and a
# static link against the target's own sysroot.

# The compilers are the GNU ones named by the target's triplet, with a suffix where the package
# has more than one flavour (mingw-w64's -posix).
macro(varnelo_cross_compilers system processor triplet suffix)
    set(CMAKE_SYSTEM_NAME ${system})
    set(CMAKE_SYSTEM_PROCESSOR ${processor})
    set(CMAKE_C_COMPILER ${triplet}-gcc${suffix})
    set(CMAKE_CXX_COMPILER ${triplet}-g++${suffix})
endmacro()

# Headers and libraries only from the target's sysroot, so no package of this machine leaks in;
# and everything linked in, so the program needs no shared library of the target where it runs.
macro(varnelo_static_from_sysroot sysroot)
    set(CMAKE_FIND_ROOT_PATH ${sysroot})
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endmacro()

# Shared part of the mingw-w64 cross toolchains; the including file sets VARNELO_MINGW_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix compilers: their libstdc++ has std::thread and std::mutex, which GoogleTest uses.
set(CMAKE_C_COMPILER ${VARNELO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNELO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNELO_MINGW_TRIPLET}-windres)

# Headers and libraries only from the Windows sysroot, so no Linux package leaks in.
set(CMAKE_FIND_ROOT_PATH /usr/${VARNELO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A bare Windows has no libgcc, libstdc++ or winpthread DLLs: link all of them in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest and GoogleTest's test discovery start the test programs of either build through this.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine.sh)

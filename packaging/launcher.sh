#!/bin/sh
# The portable download's launcher: starts bin/varnelo of the folder it lies in, wherever that was
# unpacked and through any link to it, and names the package to install where SDL 2 is missing.
here=$(dirname -- "$(readlink -f -- "$0")")
program=$here/bin/varnelo
# The loader lists what it would load without running the program (as ldd does), finding each
# library as it will for the real start; any other missing library is left to its own message.
case $(LD_TRACE_LOADED_OBJECTS=1 "$program" 2>/dev/null) in
    *"libSDL2-2.0.so.0 => not found"*)
        echo "varnelo: SDL 2 is missing; install libsdl2-2.0-0 (Debian, Ubuntu), SDL2 (Fedora), sdl2 (Arch), libSDL2-2_0-0 (openSUSE)" >&2
        exit 1 ;;
esac
exec "$program" "$@"

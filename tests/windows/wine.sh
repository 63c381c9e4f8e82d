#!/usr/bin/env bash
# How this machine runs Windows programs. Sourced, it gives wine_run, wine_make_prefix and wine_stop;
# `wine.sh PROGRAM.exe ARGS...` runs one program (the Windows builds' test runner), and `wine.sh --prefix
# COMMAND ARGS...` runs a command such as ctest with a throwaway prefix that its programs share.

# One 64-bit prefix serves both builds: wine64 hands PE32 programs to the 32-bit loader (wine32:i386).
export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # else a fresh prefix stops to offer Mono and Gecko
: "${VARNELO_WINE_TIMEOUT:=120}"  # seconds: a hung Wine must not hang the tests

# Wine's 32-bit loader is a 32-bit x86 program, which some kernels refuse ("Exec format error"),
# and an i386 package, which a mirror with a broken i386 index cannot give (install-deps.sh).
wine_runs_pe32() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
if [ -e /usr/lib/wine/wine ]; then
    no_pe32_reason="this machine's kernel runs no 32-bit x86 code"
else
    no_pe32_reason="Wine's 32-bit loader (wine32:i386) is not installed"
fi

wine_run() {
    timeout -k 5 "$VARNELO_WINE_TIMEOUT" "$WINELOADER" "$@"
}

wine_make_prefix() {
    export WINEPREFIX="$1"
    wine_run wineboot -i >/dev/null 2>&1 && timeout -k 5 "$VARNELO_WINE_TIMEOUT" "$WINESERVER" -w
}

# Ends every Wine process of the current prefix, if there is one.
wine_stop() {
    [ -d "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1 && timeout -k 5 30 "$WINESERVER" -w
    return 0
}

[ "${BASH_SOURCE[0]}" = "$0" ] || return 0
[ "$1" = --prefix ] || exec timeout -k 5 "$VARNELO_WINE_TIMEOUT" "$WINELOADER" "$@"
shift
scratch=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-wine.XXXXXX")
trap 'wine_stop; rm -rf "$scratch"' EXIT
wine_make_prefix "$scratch/prefix" || { echo "wine.sh: could not create a Wine prefix" >&2; exit 1; }
"$@"

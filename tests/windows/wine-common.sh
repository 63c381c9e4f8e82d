# Sourced by the Wine scripts: how this machine runs Windows programs, and the life cycle
# of a throwaway Wine prefix.

# One 64-bit prefix serves both builds: wine64 runs the PE32+ programs itself and hands each
# PE32 program to the 32-bit loader beside it (/usr/lib/wine/wine, from wine32:i386).
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEARCH=win64
export WINEDEBUG=-all
# Without Mono and Gecko a fresh prefix would stop to offer their download.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Seconds that one program may run before it is killed; a hung Wine must not hang the tests.
: "${VARNELO_WINE_TIMEOUT:=120}"

# Creates a fresh prefix in $1 and leaves WINEPREFIX pointing at it.
wine_make_prefix() {
    export WINEPREFIX="$1"
    timeout -k 5 "$VARNELO_WINE_TIMEOUT" "$WINELOADER" wineboot -i >/dev/null 2>&1
    timeout -k 5 "$VARNELO_WINE_TIMEOUT" "$WINESERVER" -w
}

# Ends every Wine process of the current prefix. Safe to call when none runs.
wine_stop() {
    [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
    "$WINESERVER" -k >/dev/null 2>&1 || true
    timeout -k 5 30 "$WINESERVER" -w >/dev/null 2>&1 || true
}

# Runs a Windows program of the current prefix with a hard time limit; passes its exit code on.
wine_run() {
    timeout -k 5 "$VARNELO_WINE_TIMEOUT" "$WINELOADER" "$@"
}

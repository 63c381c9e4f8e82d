#!/usr/bin/env bash
# Runs one command with a fresh 64-bit Wine prefix, then stops its wineserver and deletes it.
# Usage: with-wine-prefix.sh COMMAND [ARGS...]; exits with the command's exit code.
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")
source "$here/wine-common.sh"

workdir=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-wine.XXXXXX")
cleanup() {
    wine_stop
    rm -rf "$workdir"
}
child=""
trap cleanup EXIT
# A signal must reach the command too, and the prefix still be cleaned up afterwards.
trap '[ -n "$child" ] && kill "$child" 2>/dev/null; exit 143' INT TERM

if ! wine_make_prefix "$workdir/prefix"; then
    echo "with-wine-prefix: could not create a Wine prefix" >&2
    exit 1
fi
# In the background so that the trap above runs at once rather than after the command.
"$@" &
child=$!
wait "$child"

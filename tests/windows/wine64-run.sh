#!/usr/bin/env bash
# Starts one 64-bit Windows program under wine64 and passes its exit code on. Inside
# with-wine-prefix.sh it shares that prefix; called alone it makes a throwaway one.
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")
source "$here/wine-common.sh"

if [ -z "${WINEPREFIX:-}" ]; then
    exec "$here/with-wine-prefix.sh" "$here/wine64-run.sh" "$@"
fi
wine_run "$@"

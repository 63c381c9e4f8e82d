#!/usr/bin/env bash
# Starts one Windows program, 32- or 64-bit, under Wine and passes its exit code on. Inside
# with-wine-prefix.sh it shares that prefix; called alone it makes a throwaway one.
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")
source "$here/wine-common.sh"

if [ -z "${WINEPREFIX:-}" ]; then
    exec "$here/with-wine-prefix.sh" "$here/wine-run.sh" "$@"
fi
wine_run "$@"

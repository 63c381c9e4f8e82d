# What the Windows benchmarks start from, sourced by them: strict bash, the project, the build (the
# script's first argument, default build/windows-x86), ROUNDS (its second, default 3), Wine's and the
# desktop's helpers, and a scratch folder $work holding run/ with the program and the bundled pictures,
# removed at the end with Wine, the X server and a pointer mover ($mover) if one was started.
set -euo pipefail
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$project/build/windows-x86}" && pwd)
rounds=${2:-3}
seconds=10
source "$project/tests/windows/wine.sh"
source "$project/tests/support/desktop.sh"
[ -f "$build/platform/varnelo.exe" ] || { echo "$(basename "$0"): build $build first" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-wine-bench.XXXXXX")
mover=""
trap '[ -z "$mover" ] || kill "$mover"; wine_stop; stop_xvfb; rm -rf "$work" 2>/dev/null' EXIT
mkdir "$work/run" && cp "$build/platform/varnelo.exe" "$project/assets/spot.tga" "$project/assets/scr.tga" "$work/run/"

#!/usr/bin/env bash
# The release command: builds what each package holds and packs it into dist/, with SHA256SUMS:
#   varnelo_<version>_amd64.deb          the Linux programs, for Debian 12 and its kin
#   varnelo-<version>-windows-x86.zip    varnelo.exe for 32-bit (and 64-bit) Windows
#   varnelo-<version>-windows-x64.zip    varnelo.exe for 64-bit Windows
#   varnelo-<version>-web.zip            the web page, for any static web server
# usage: scripts/package.sh [--no-build]   (--no-build packs the builds the test command left)
set -euo pipefail
cd "$(dirname "$0")/.."
build=yes
[ "${1:-}" != --no-build ] || build=no
[ $# -eq 0 ] || [ "$build" = no ] || { echo "usage: scripts/package.sh [--no-build]" >&2 && exit 2; }

# The changelog's date, and so the package, depends on the sources and not on the hour.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s) && export SOURCE_DATE_EPOCH
export NODE_PATH=/usr/share/nodejs  # Debian's emscripten finds its own node modules there
[ "$build" = no ] || ./scripts/install-deps.sh
rm -rf dist && mkdir dist

# pack PRESET GENERATOR TARGET...: configures and builds the targets the package holds, and packs.
pack() {
    if [ "$build" = yes ]; then
        cmake --preset "$1" >/dev/null
        cmake --build --preset "$1" -j "$(nproc)" --target "${@:3}"
    fi
    (cd "build/$1" && cpack -G "$2" -B "$PWD/../../dist/cpack" >/dev/null)
    mv dist/cpack/*."${2,,}" dist/ && rm -rf dist/cpack
}
pack release DEB varnelo varnelo-render varnelo-package-files
pack windows-x86 ZIP varnelo
pack windows-x64 ZIP varnelo
pack web ZIP varnelo

cd dist && sha256sum -- * >SHA256SUMS
ls -l

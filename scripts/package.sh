#!/usr/bin/env bash
# The release command: builds what each package holds and packs it into dist/, with SHA256SUMS:
#   varnelo_<version>_amd64.deb             the Linux programs, for Debian 12 and its kin
#   varnelo_<version>_arm64.deb             the same for 64-bit ARM (Raspberry Pi OS and the like)
#   varnelo-<version>-linux-x86_64.tar.gz   the Linux programs in one folder that runs where it is
#   varnelo-<version>-linux-aarch64.tar.gz  unpacked, for other distributions, on x86-64 and 64-bit ARM
#   varnelo-<version>-windows-x86.zip       varnelo.exe and varnelo-render.exe for 32-bit (and 64-bit) Windows
#   varnelo-<version>-windows-x64.zip       the same for 64-bit Windows
#   varnelo-<version>-web.zip               the web page, for any static web server
# The same commit gives the same bytes wherever, whenever and by whomever it is built.
# usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 0 ] || { echo "usage: scripts/package.sh" >&2 && exit 2; }

# Nothing of the builder's setting reaches a package: dates come from the last commit, zip
# entries are stamped in UTC, texts sort alike and folders are readable by all.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date -r CHANGELOG.md +%s) && export SOURCE_DATE_EPOCH
export TZ=UTC LC_ALL=C.UTF-8
umask 022
source scripts/node-path.sh
./scripts/install-deps.sh
# The published releases come from Debian 12: another release's compilers and packers write other bytes,
# and its glibc would raise what the programs ask of a user's system.
release=$(. /etc/os-release 2>/dev/null && echo "${ID:-} ${VERSION_ID:-}")
[ "$release" = "debian 12" ] ||
    echo "package.sh: the releases are built on Debian 12; built on ${release:-this system}, they work, but their bytes differ from the published ones" >&2
rm -rf dist && mkdir dist

# pack PRESET GENERATOR TARGET...: configures, builds the targets the package holds, and packs.
pack() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$(nproc)" --target "${@:3}"
    (cd "build/$1" && cpack -G "$2" -B "$PWD/../../dist/cpack" >/dev/null)
    [ "$2" != ZIP ] || python3 scripts/repack-zip.py dist/cpack/*.zip
    [ "$2" != DEB ] || python3 scripts/repack-deb.py dist/cpack/*.deb
    mv dist/cpack/*."${2,,}" dist/ && rm -rf dist/cpack
}
# tarball PRESET: the portable folder of that build, packed as the .deb's data is: sorted, owned by
# root, dated at SOURCE_DATE_EPOCH, with modes from the install rules alone, and gzip without a name or time.
tarball() {
    cmake --build --preset "$1" -j "$(nproc)" --target varnelo-portable varnelo-render-portable varnelo-package-files
    cmake --install "build/$1" --component portable --prefix dist/portable --strip >/dev/null
    local top && top=$(ls dist/portable)
    tar -C dist/portable --sort=name --owner=root:0 --group=root:0 --mtime="@$SOURCE_DATE_EPOCH" --mode=go=u,go-w \
        -cf - "$top" | gzip -9n >"dist/$top.tar.gz"
    rm -rf dist/portable
}
pack release DEB varnelo varnelo-render varnelo-package-files
tarball release
pack linux-arm64 DEB varnelo varnelo-render varnelo-package-files
tarball linux-arm64
pack windows-x86 ZIP varnelo varnelo-render
pack windows-x64 ZIP varnelo varnelo-render
pack web ZIP varnelo-page

cd dist && sha256sum -- * >SHA256SUMS
ls -l

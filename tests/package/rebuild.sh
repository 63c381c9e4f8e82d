#!/usr/bin/env bash
# The release command, rerun on a true clone by another user and host, on another day, in a path with a blank and
# files only their owner reads, gives DIST's SHA256SUMS; diffoscope says where a file differs.
# usage: rebuild.sh [DIST]; prints "N passed, N failed"
set -uo pipefail
root=$(readlink -f "$(dirname "$0")/../..")
dist=$(readlink -f "${1:-$root/dist}")
other=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-rebuild.XXXXXX")
trap 'rm -rf "$other"' EXIT
trap 'exit 143' INT TERM
clone="$other/another place/varnelo"

# The committed tree alone, as a user checks it out: what is not committed does not reach a release.
(umask 077 && git clone -q --no-local "$root" "$clone" && git -C "$clone" checkout -q "$(git -C "$root" rev-parse HEAD)") || exit 1
# Another host name, in a namespace of its own where the kernel allows one; the clock two years on.
host=() && unshare -u true 2>/dev/null && host=(unshare -u sh -c 'hostname another-builder && exec "$@"' _)
(cd "$clone" && umask 077 && USER=another-builder LOGNAME=another-builder "${host[@]}" faketime -f +2y \
    ./scripts/package.sh >"$other/package.log" 2>&1) || { echo "FAIL the second build: $(tail -n 20 "$other/package.log")"; echo "0 passed, 1 failed"; exit 1; }

if cmp -s "$dist/SHA256SUMS" "$clone/dist/SHA256SUMS"; then
    echo "PASS the release built again elsewhere is byte for byte the same:" && cat "$dist/SHA256SUMS"
    echo "1 passed, 0 failed"
    exit 0
fi
echo "FAIL the release built again elsewhere differs:" && diff "$dist/SHA256SUMS" "$clone/dist/SHA256SUMS"
for file in $(cd "$dist" && ls); do
    cmp -s "$dist/$file" "$clone/dist/$file" || diffoscope --text - "$dist/$file" "$clone/dist/$file" 2>&1 | head -n 60
done
echo "0 passed, 1 failed"
exit 1

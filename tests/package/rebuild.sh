#!/usr/bin/env bash
# A release rebuilt by someone else is the same release: the release command, run again in a clone elsewhere in another
# time zone, locale and umask, must give DIST's SHA256SUMS; where a file differs, diffoscope says where.
# usage: rebuild.sh [DIST]; prints "N passed, N failed"
set -uo pipefail
root=$(readlink -f "$(dirname "$0")/../..")
dist=$(readlink -f "${1:-$root/dist}")
other=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-rebuild.XXXXXX")
trap 'rm -rf "$other"' EXIT
trap 'exit 143' INT TERM

# The tree as it stands, checked out by a user whose files only they may read: its history gives
# the commit's date, and the work tree's own files go over the clone.
(umask 077 && git clone -q --shared "$root" "$other/varnelo" &&
    cd "$root" && git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$other/varnelo") || exit 1
(cd "$other/varnelo" && umask 077 && TZ=Pacific/Kiritimati LANG=cs_CZ.UTF-8 LC_ALL=C.UTF-8 \
    ./scripts/package.sh >"$other/package.log" 2>&1) || { echo "FAIL the second build: $(tail -n 20 "$other/package.log")"; echo "0 passed, 1 failed"; exit 1; }

if cmp -s "$dist/SHA256SUMS" "$other/varnelo/dist/SHA256SUMS"; then
    echo "PASS the release built again elsewhere is byte for byte the same:" && cat "$dist/SHA256SUMS"
    echo "1 passed, 0 failed"
    exit 0
fi
echo "FAIL the release built again elsewhere differs:" && diff "$dist/SHA256SUMS" "$other/varnelo/dist/SHA256SUMS"
for file in $(cd "$dist" && ls); do
    cmp -s "$dist/$file" "$other/varnelo/dist/$file" ||
        diffoscope --text - "$dist/$file" "$other/varnelo/dist/$file" 2>&1 | head -n 60
done
echo "0 passed, 1 failed"
exit 1

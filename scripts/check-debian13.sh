#!/usr/bin/env bash
# For maintainers: the README's commands on a fresh Debian 13 machine, a root made by debootstrap, and the portable
# x86-64 download there with SDL 3 under SDL 2, on X11 and on Wayland. Not part of the test command: its first run
# downloads a whole system (about 1.5 GB), which CACHE keeps, the packages too, for the runs after it.
# usage: scripts/check-debian13.sh [CACHE]   (default ~/.cache/varnelo-debian13); ends with "N passed, N failed"
set -uo pipefail
project=$(readlink -f "$(dirname "$0")/..")
cache=$(readlink -m "${1:-${XDG_CACHE_HOME:-$HOME/.cache}/varnelo-debian13}")
[ $# -le 1 ] || { echo "usage: scripts/check-debian13.sh [CACHE]" >&2 && exit 2; }
# debootstrap, chroot and mounts need root; the cache stays the caller's.
[ "$(id -u)" -eq 0 ] || exec sudo -- "$0" "$cache"
# What a fresh Debian machine lacks for it; Debian 12's archive keyring already holds Debian 13's key.
command -v debootstrap >/dev/null || { apt-get update -qq; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null; } ||
    { echo "check-debian13.sh: cannot install debootstrap" >&2 && exit 1; }
mirror=http://deb.debian.org/debian
root=$cache/root logs=$cache/logs
version=$(sed -n 's/^project(varnelo VERSION \([0-9.]*\).*/\1/p' "$project/CMakeLists.txt")
passed=0 failed=0

# stage NAME COMMAND...: one line for it, its output in $logs/NAME.log, the log's end where it failed.
stage() {
    local started=$SECONDS
    echo "--- $1"
    if "${@:2}" >"$logs/$1.log" 2>&1; then
        passed=$((passed + 1)) && echo "PASS $1 ($((SECONDS - started)) s)"
    else
        failed=$((failed + 1)) && echo "FAIL $1 ($((SECONDS - started)) s); the end of $logs/$1.log:"
        tail -n 40 "$logs/$1.log" | sed 's/^/    /'
        return 1
    fi
}
finish() { echo "$passed passed, $failed failed" && [ "$failed" -eq 0 ] && exit 0; exit 1; }

# A fresh root each run, from the system debootstrap made once; apt's downloads are kept beside it.
fresh_root() {
    if [ ! -s "$cache/base.tar" ]; then
        rm -rf "$cache/base" && mkdir -p "$cache/debs" &&
            debootstrap --variant=minbase --include=ca-certificates,git --cache-dir="$cache/debs" \
                --keyring=/usr/share/keyrings/debian-archive-trixie-stable.gpg trixie "$cache/base" "$mirror" &&
            printf '%s\n' "deb $mirror trixie main" "deb $mirror trixie-updates main" \
                "deb http://deb.debian.org/debian-security trixie-security main" >"$cache/base/etc/apt/sources.list" &&
            tar -C "$cache/base" -cf "$cache/base.tar.part" . && mv "$cache/base.tar.part" "$cache/base.tar" &&
            rm -rf "$cache/base" || return 1
    fi
    rm -rf "$root" && mkdir -p "$root" "$cache/archives/partial" && tar -C "$root" -xf "$cache/base.tar" || return 1
    # As on a machine whose services are nobody's business here: packages install, none starts.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d" && chmod 755 "$root/usr/sbin/policy-rc.d"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # A machine of this place: the certificate authorities it adds to Debian's (a proxy's, for the npm registry).
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/" 2>/dev/null
    inside 'update-ca-certificates >/dev/null' || return 1
    # The project as a user clones it: what is committed, in a clone of its own.
    git clone -q --no-local "$project" "$root/root/varnelo" && git -C "$root/root/varnelo" checkout -q "$(git -C "$project" rev-parse HEAD)"
}

# inside COMMAND: runs the bash COMMAND as root in the root, in a mount namespace of its own, torn down when it ends.
# The root becomes the namespace's own root (pivot_root), as on a machine: the kernel lets nobody in a mere chroot
# make user namespaces, which the tests do (unshare -rm).
inside() {
    unshare --mount --fork --propagation private bash -c '
        root=$1 && set -e
        mount --bind "$root" "$root"
        mount -t proc proc "$root/proc" && mount --rbind /sys "$root/sys" && mount --rbind /dev "$root/dev"
        mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm" && mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
        mount -t tmpfs tmpfs "$root/run" && mount --bind "$2" "$root/var/cache/apt/archives"
        mkdir -p "$root/.host" && cd "$root" && pivot_root . .host && umount -l /.host
        exec env -i HOME=/root TERM=dumb LANG=C.UTF-8 CI=true NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "cd && $3"' _ "$root" "$cache/archives" "$1"
}

# The run command on a machine that has nothing else yet but an X server for it: the demo starts on the bundled
# pictures, F12 saves a screenshot, Esc ends it with 0, and it logged the full set-up.
run_command='
    apt-get update -qq && apt-get install -y -qq xvfb xauth xdotool curl >/dev/null
    cd /root/varnelo && source tests/support/desktop.sh && work=$(mktemp -d) && set -e
    trap "pkill -xf ../build/demo/platform/varnelo || true; stop_xvfb" EXIT
    start_xvfb "$work" 640x480x24
    (set +e; timeout -k 5 600 ./scripts/run.sh; echo $? >"$work/exit") &
    wait_for 540 xdotool search --name "^Varnelo$" || fail "no Varnelo window"
    sleep 2 && xdotool key F12 && wait_for 30 has_size "run/Screenshot 0.bmp" $((54 + 320 * 200 * 3))
    xdotool key Escape && ended_with 0 && cmp run/DirectX.log <(expected_log)'
# The web command serves the page it built.
web_command='
    cd /root/varnelo && source tests/support/desktop.sh && set -e
    trap "pkill -xf \"python3 -m http.server --bind 127.0.0.1 --directory build/web/page 8765\" || true" EXIT
    (./scripts/web.sh 8765 >/tmp/web.log 2>&1 &) && wait_for 900 curl -sf http://127.0.0.1:8765/ || fail "$(cat /tmp/web.log)"
    for file in index.html varnelo.js varnelo.wasm spot.tga scr.tga; do
        curl -sf "http://127.0.0.1:8765/$file" | cmp - "build/web/page/$file"
    done'
# The portable download with SDL 3 under SDL 2 (the shim takes libsdl2-2.0-0'"'"'s place, as on distributions after
# Debian 13), unpacked to a folder whose path holds a blank: the loader must find SDL 2 in the shim.
sdl3_download='
    cd /root/varnelo && apt-get install -y -qq libsdl2-compat-shim >/dev/null
    rm -rf "/opt/a folder" && mkdir "/opt/a folder" && tar -C "/opt/a folder" -xzf dist/varnelo-'$version'-linux-x86_64.tar.gz
    sdl=$(ldd "/opt/a folder/varnelo-'$version'-linux-x86_64/bin/varnelo" | sed -n "s/.*libSDL2-2.0.so.0 => \([^ ]*\).*/\1/p")
    dpkg -S "$(readlink -f "$sdl")" | tee /dev/stderr | grep -q "^libsdl2-compat"'
download="/opt/a folder/varnelo-$version-linux-x86_64"
# On X11: F12 gives varnelo-render'"'"'s frame, Esc ends with 0, through the download'"'"'s launcher.
sdl3_x11="cd /root/varnelo && tests/app/end_to_end.sh '$download/varnelo' '$download/bin/varnelo-render' \
    '$download/share/varnelo' tests/app/lsan.supp \$PWD/build/release/tests/app/libvarnelo_refuse_drawing.so"
# On Wayland, through SDL's Wayland driver and through XWayland under sway.
sdl3_wayland="cd /root/varnelo && bash tests/app/wayland.sh '$download' '$download/bin/varnelo-render' '$download/share/varnelo' tests/app/lsan.supp"
# The compositor killed under the running program: SIGTERM still ends it, within 3 s.
compositor_killed='
    cd /root/varnelo && source tests/support/desktop.sh && source tests/support/sway.sh && set -e
    work=$(mktemp -d) && mkdir "$work/run" && cp assets/*.tga "$work/run" && user_owns "$work/run"
    trap "pkill -f bin/varnelo$ || true; stop_sway" EXIT
    start_sway "$work" 960x720
    (set +e; cd "$work/run" && client SDL_VIDEODRIVER=wayland "'$download'/varnelo" 2>"$work/stderr"; echo $? >"$work/exit") &
    mapped() { client swaymsg -t get_tree | grep -q "\"name\": \"Varnelo\""; }
    wait_for 60 mapped || fail "no window: $(cat "$work/stderr")"
    kill -KILL "$sway_pid" && sleep 2
    [ ! -e "$work/exit" ] || fail "the program ended with its compositor: $(cat "$work/stderr")"
    program=$(pgrep -f "bin/varnelo$")
    started=$(date +%s%N) && kill -TERM "$program" && wait_for 10 test -s "$work/exit"
    took=$((($(date +%s%N) - started) / 1000000)) && echo "ended $took ms after SIGTERM, exit $(cat "$work/exit"): $(cat "$work/stderr")"
    [ "$took" -le 3000 ]'

mkdir -p "$logs"
stage "a fresh Debian 13 root" fresh_root || finish
stage "the run command" inside "$run_command"
stage "the web command" inside "$web_command"
stage "the test command" inside 'cd /root/varnelo && ./scripts/test.sh'
stage "the download with SDL 3 under SDL 2" inside "$sdl3_download" || finish
stage "the download with SDL 3 on X11" inside "$sdl3_x11"
stage "the download with SDL 3 on Wayland" inside "$sdl3_wayland"
stage "the compositor killed under it" inside "$compositor_killed"
finish

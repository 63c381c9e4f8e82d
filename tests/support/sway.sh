# Sourced after desktop.sh: headless sway with XWayland (as nobody under root), one keyboard and pointer per session.
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
# user_owns PATH...: the compositor's user may write there.
user_owns() { [ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$@"; }

# start_sway FOLDER WIDTHxHEIGHT [ENV...]: sway at home in FOLDER; ENV reaches every client. Sets sway_pid, x_display.
start_sway() {
    mkdir -p "$1/runtime" "$1/home" && chmod 755 "$1" && chmod 700 "$1/runtime" && user_owns "$1/runtime" "$1/home"
    printf 'output HEADLESS-1 mode %s position 0 0\ndefault_border none\nxwayland enable\n' "$2" >"$1/sway.conf"
    session=(env -i HOME="$1/home" XDG_RUNTIME_DIR="$1/runtime" PATH=/usr/bin:/bin "${@:3}")
    "${as_user[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$1/sway.conf" >"$1/sway.log" 2>&1 &
    sway_pid=$!
    listening() { ls "$1"/sway-ipc.*.sock "$1"/wayland-?; }  # the names are known once there
    wait_for 30 listening "$1/runtime" || fail "sway did not start: $(cat "$1/sway.log")" || return 1
    swaysock=$(ls "$1"/runtime/sway-ipc.*.sock) wayland_display=$(basename "$(ls -d "$1"/runtime/wayland-?)")
    client swaymsg exec "echo \$DISPLAY >'$1/runtime/x-display'" >/dev/null
    wait_for 10 test -s "$1/runtime/x-display" && x_display=$(cat "$1/runtime/x-display") || fail "sway names no XWayland display"
}
stop_sway() { [ -z "${sway_pid:-}" ] || { kill "$sway_pid" && wait "$sway_pid"; } 2>/dev/null || true; }
# client COMMAND...: a client of the compositor, as its user.
client() { "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$wayland_display" SWAYSOCK="$swaysock" "$@"; }

# start_input HELPER: the keyboard and pointer, from a copy of wayland_input.py the user can read.
start_input() {
    coproc INPUT { client /usr/bin/python3 "$1"; }
    # Copies that subshells keep, as bash closes a coprocess's own in them.
    exec {input_replies}<&"${INPUT[0]}" {input_commands}>&"${INPUT[1]}"
    read -r -t 10 -u "$input_replies" reply && [ "$reply" = ready ] || fail "no virtual keyboard"
}
# input COMMAND...: key NAME or point X Y W H, once sway has handled it.
input() { echo "$*" >&"$input_commands" && read -r -t 10 -u "$input_replies" reply && [ "$reply" = done ]; }

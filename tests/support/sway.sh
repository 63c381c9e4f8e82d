# Sourced, after desktop.sh, by the checks and benchmarks that run the program on a Wayland
# desktop: sway on its headless backend with one output, XWayland, and one virtual keyboard and
# pointer that last the whole session (wayland_input.py).

# sway refuses to run as root: then the compositor and its clients run as nobody.
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

# user_owns PATH...: the compositor's user may write there.
user_owns() { [ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$@"; }

# start_sway FOLDER WIDTHxHEIGHT [ENV...]: sway in FOLDER, which holds its runtime folder and home
# and must be open to its user; ENV reaches every client. Sets sway_pid and x_display.
start_sway() {
    local folder=$1
    mkdir -p "$folder/runtime" "$folder/home" && chmod 755 "$folder" && chmod 700 "$folder/runtime"
    user_owns "$folder/runtime" "$folder/home"
    printf 'output HEADLESS-1 mode %s position 0 0\ndefault_border none\nxwayland enable\n' "$2" >"$folder/sway.conf"
    session=(env -i HOME="$folder/home" XDG_RUNTIME_DIR="$folder/runtime" PATH=/usr/bin:/bin "${@:3}")
    "${as_user[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$folder/sway.conf" >"$folder/sway.log" 2>&1 &
    sway_pid=$!
    listening() { ls "$folder"/runtime/sway-ipc.*.sock "$folder"/runtime/wayland-? >/dev/null 2>&1; }
    wait_for 30 listening || fail "sway did not start: $(cat "$folder/sway.log")" || return 1
    swaysock=$(ls "$folder"/runtime/sway-ipc.*.sock) wayland_display=$(basename "$(ls -d "$folder"/runtime/wayland-?)")
    # XWayland's display is the one sway gives the programs it starts.
    client swaymsg exec "echo \$DISPLAY >$folder/runtime/x-display" >/dev/null
    wait_for 10 test -s "$folder/runtime/x-display" || fail "sway names no XWayland display" || return 1
    x_display=$(cat "$folder/runtime/x-display")
}

stop_sway() { [ -z "${sway_pid:-}" ] || { kill "$sway_pid" && wait "$sway_pid"; } 2>/dev/null || true; }

# client COMMAND...: a client of the compositor, as its user.
client() { "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$wayland_display" SWAYSOCK="$swaysock" "$@"; }

# start_input HELPER: the seat's one keyboard for the session, and its pointer from the first move.
# HELPER is a copy of wayland_input.py that the compositor's user can read.
start_input() {
    coproc INPUT { client /usr/bin/python3 "$1"; }
    # Copies that subshells keep, as bash closes a coprocess's own in them.
    exec {input_replies}<&"${INPUT[0]}" {input_commands}>&"${INPUT[1]}"
    read -r -t 10 -u "$input_replies" reply && [ "$reply" = ready ] || fail "no virtual keyboard"
}
# input COMMAND...: one command to the helper (key NAME, point X Y W H), done once sway handled it.
input() { echo "$*" >&"$input_commands" && read -r -t 10 -u "$input_replies" reply && [ "$reply" = done ]; }

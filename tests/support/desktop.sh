# Sourced by the checks of the running program: an X server, the frame and log it must give, and a session in $work.
support=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
frame_x=100 frame_y=70  # off centre, so that a frame which ignored the pointer would show

fail() { echo "FAIL: $*" >&2 && return 1; }
has_size() { [ "$(stat -c %s "$1")" -eq "$2" ]; }

# run_checks FUNCTION CASE...: FUNCTION with each CASE's words, in a subshell torn down also when stopped from outside;
# 77 means skipped. Prints a line per case, then "N passed, N failed, N skipped"; fails if any failed.
run_checks() {
    local passed=0 failed=0 skipped=0 case
    for case in "${@:2}"; do
        (trap 'exit 143' INT TERM && "$1" $case) &
        trap 'kill $! && wait $!; exit 143' INT TERM
        wait $!
        case $? in
            0) passed=$((passed + 1)) && echo "PASS $case" ;;
            77) skipped=$((skipped + 1)) && echo "SKIP $case" ;;
            *) failed=$((failed + 1)) && echo "FAIL $case" ;;
        esac
    done
    echo "$passed passed, $failed failed, $skipped skipped" && [ "$failed" -eq 0 ]
}

# wait_for SECONDS COMMAND...: polls COMMAND every 50 ms until it succeeds.
wait_for() {
    local deadline=$((SECONDS + $1))
    until "${@:2}" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] && sleep 0.05 || return 1
    done
}

# start_xvfb FOLDER WxHxDEPTH: a black X server on a free display number that does not reset when a client leaves.
start_xvfb() {
    rm -f "$1/display"
    Xvfb -displayfd 3 -noreset -br -screen 0 "$2" -nolisten tcp 3>"$1/display" >"$1/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for 30 test -s "$1/display" || fail "Xvfb did not start: $(cat "$1/xvfb.log")" || return 1
    DISPLAY=":$(head -n 1 "$1/display")" && export DISPLAY
}

stop_xvfb() { [ -z "${xvfb_pid:-}" ] || { kill "$xvfb_pid" && wait "$xvfb_pid"; } 2>/dev/null || true; }

# reference_frame RENDER ASSETS OUT: what the frame must be with the pointer at frame_x,frame_y.
reference_frame() { "$1" --spot "$2/spot.tga" --scene "$2/scr.tga" --at "$frame_x,$frame_y" -o "$3" >/dev/null; }

# expected_log [LINE_END]: the 17 lines of a set-up in which every call succeeds.
expected_log() { sed "s/\$/${1:-}/" "$support/full_setup.log"; }

# refused_log [LINE_END]: the log of a display that refuses the mode, after which the frames go to a window.
refused_log() {
    expected_log "${1:-}" | head -n 7 && printf 'Operace nen\xed podporov\xe1na !%s\n' "${1:-}" &&
        sed "s/\$/${1:-}/" "$support/window_setup.log"
}

# picture_shows SCREEN LEFT TOP WIDTH HEIGHT FRAME: SCREEN is black but for the lit FRAME, scaled to WIDTH x HEIGHT
# at LEFT,TOP. At a fractional scale scalers differ at blocks' edges: then each block's middle is compared.
picture_shows() {
    /usr/bin/python3 - "$@" <<'PY'
import sys
from PIL import Image, ImageChops
screen, frame = Image.open(sys.argv[1]).convert("RGB"), Image.open(sys.argv[6]).convert("RGB")
left, top, width, height = map(int, sys.argv[2:6])
if width % frame.width == 0 and height % frame.height == 0:
    expected = Image.new("RGB", screen.size)
    expected.paste(frame.resize((width, height), Image.NEAREST), (left, top))
    box = ImageChops.difference(screen, expected).getbbox()
else:
    bands = screen.copy()
    bands.paste((0, 0, 0), (left, top, left + width, top + height))
    middles = Image.new("RGB", frame.size)
    middles.putdata([screen.getpixel((left + (2 * x + 1) * width // (2 * frame.width), top + (2 * y + 1) * height // (2 * frame.height)))
                     for y in range(frame.height) for x in range(frame.width)])
    box = bands.getbbox() or ImageChops.difference(middles, frame).getbbox()
print(f"the screen differs from {sys.argv[6]} at {width}x{height}+{left}+{top} within {box}")
sys.exit(0 if box is None and frame.getbbox() else 1)
PY
}

# ended_with CODE: the program, which writes its exit code to $work/exit, has ended with CODE.
ended_with() {
    wait_for 60 test -s "$work/exit" || fail "the program did not end" || return 1
    [ "$(tr -dc 0-9 <"$work/exit")" = "$1" ] || fail "exit code $(cat "$work/exit"), not $1"
}

# framed_as window|full: the program's window is framed and resizable (its decorations on, as the Motif hints say,
# and no size fixed: SDL 2 gives a resizable window a maximum apart from its minimum, SDL 3 neither), or neither.
# Prints the hints.
framed_as() {
    local hints framed=window maximum
    hints=$(xprop -name Varnelo WM_NORMAL_HINTS _MOTIF_WM_HINTS) && echo "$hints" || return 1
    maximum=$(grep -o 'maximum size: .*' <<<"$hints")
    grep -q '_MOTIF_WM_HINTS) = 0x[0-9a-f]*, 0x[0-9a-f]*, 0x0,' <<<"$hints" && framed=full
    [ -n "$maximum" ] && [ "$maximum" = "$(grep -o 'minimum size: .*' <<<"$hints" | sed s/minimum/maximum/)" ] && framed=full
    [ "$framed" = "$1" ]
}

# play_session LEFT TOP WIDTH HEIGHT LOG [SWITCH...]: the program in $work/run shows its frame at LEFT,TOP scaled to
# WIDTH x HEIGHT; after each SWITCH (window:LEFT,TOP,WIDTH,HEIGHT or full:LEFT,TOP,WIDTH,HEIGHT) Alt+Enter shows it in
# a framed window or full screen, there; after resize-WxH:LEFT,TOP,WIDTH,HEIGHT the window, resized to W x H, shows it
# there. The pointer steers it each time, F12 saves exactly $work/expected.bmp, Esc ends with 0, and the log is LOG.
play_session() {
    local run=$work/run switch box size
    # Moved on every look, should start-up still be placing the pointer; not to where it is, where --sync waits long.
    steered() {
        local x=$(($1 + (2 * frame_x + 1) * $3 / 640)) y=$(($2 + (2 * frame_y + 1) * $4 / 400))
        [ "$(xdotool getmouselocation --shell | head -n 2 | tr '\n' ' ')" = "X=$x Y=$y " ] || xdotool mousemove --sync $x $y &&
            import -window root "$work/screen.png" && picture_shows "$work/screen.png" "${@:1:4}" "$work/expected.bmp"
    }
    wait_for 30 steered "$@" || fail "$(steered "$@")" || return 1
    for switch in "${@:6}"; do
        box=(${switch#*:}) && box=(${box[@]//,/ })
        if [ "${switch#resize-}" != "$switch" ]; then
            size=${switch%%:*} && size=${size#resize-} && xdotool search --name '^Varnelo$' windowsize %@ "${size%x*}" "${size#*x}"
        else
            xdotool key alt+Return
            wait_for 10 framed_as "${switch%%:*}" || fail "after Alt+Enter, not $switch: $(framed_as "${switch%%:*}")" || return 1
        fi
        wait_for 30 steered "${box[@]}" || fail "after $switch: $(steered "${box[@]}")" || return 1
    done
    xdotool key F12
    wait_for 30 has_size "$run/Screenshot 0.bmp" $((54 + 320 * 200 * 3)) || fail "F12 saved no whole screenshot" || return 1
    [ ! -e "$work/exit" ] || fail "the program ended before Esc" || return 1
    xdotool key Escape
    ended_with 0 || return 1
    cmp "$run/Screenshot 0.bmp" "$work/expected.bmp" || fail "the screenshot is not varnelo-render's frame" || return 1
    [ ! -e "$run/Screenshot 1.bmp" ] || fail "one F12 saved more than one screenshot" || return 1
    cmp -s "$run/DirectX.log" "$5" || fail "DirectX.log: $(cat -A "$run/DirectX.log")"
}

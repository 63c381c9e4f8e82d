#!/usr/bin/env bash
# Each Windows build's varnelo.exe under Wine: a GUI program in a loader of its own width, windowed where the mode is
# refused (640 x 480; 1024 x 768 at 144 DPI), full screen in a 320 x 200 desktop (with a 640 x 400 scene, fitted), started
# in a window in 4:3, Alt+Enter to a window and back from each start, and its calls of the frame timer and the clock's
# tick, as the relay trace shows them.
# usage: run-wine-checks.sh [X86_BUILD X64_BUILD LINUX_RENDER ASSETS]; prints "N passed, N failed, N skipped"
source "$(dirname "$0")/../windows/checks-start.sh"
declare -A build=([x86]=$(readlink -f "${1:-$root/build/windows-x86}") [x64]=$(readlink -f "${2:-$root/build/windows-x64}"))
declare -A elf_class=([x86]=1 [x64]=2)
linux_render=$(readlink -f "${3:-$root/build/release/tools/render/varnelo-render}")
assets=$(readlink -f "${4:-$root/assets}")
pictures=("$assets/spot.tga" "$assets/scr.tga")

# start_run BUILD COMMAND...: starts COMMAND in a fresh copy of the program's folder and waits for
# its window; a batch file passes the exit code on, which explorer does not.
start_run() {
    rm -rf "$work/run" "$work/exit" && mkdir "$work/run" && cd "$work/run" || return 1
    cp "${build[$1]}/platform/varnelo.exe" "${pictures[@]}" . || return 1
    printf '@echo off\r\nstart "" /wait varnelo.exe%s\r\n>..\\exit echo %%ERRORLEVEL%%\r\n' "${options:+ $options}" >run.bat
    wine_run "${@:2}" >"$work/wine.log" 2>&1 &
    wait_for 60 xdotool search --name '^Varnelo$' || fail "no Varnelo window appeared" || return 1
    # The ELF class of the loader (matched by the program's own command line and this prefix).
    local pid class=none
    for pid in $(pgrep -u "$(id -u)" -f '^([^ ]*[\\/])?varnelo\.exe( |$)'); do
        tr '\0' '\n' <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
            class=$(od -An -j4 -N1 -tu1 "/proc/$pid/exe" | tr -d ' ')
    done
    [ "$class" = "${elf_class[$1]}" ] || fail "varnelo.exe runs in an ELF class $class loader"
}

# timer_calls_are CALLS...: the program's calls of the 20 ms timer and the 1 ms tick in the relay trace, in order.
timer_calls_are() {
    local calls
    calls=$(grep -aoE 'Call (winmm\.time(Begin|End)Period\(0*1\)|user32\.SetTimer\([0-9a-f]+,0+,0*14,0+\))' "$work/wine.log" |
        sed -E 's/^Call [a-z0-9]+\.([A-Za-z]+).*/\1/' | paste -sd' ')
    [ "$calls" = "$*" ] || fail "the timer calls were \"$calls\", not \"$*\""
}

# window_place: the program's client area on the screen, "X Y WIDTH HEIGHT": without a window manager Wine draws no
# border around a window outside a Wine desktop, so its X window is the client area.
window_place() {
    eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name '^Varnelo$' | head -n 1)")" && echo "$X $Y $WIDTH $HEIGHT"
}
# moved_from PLACE SCREEN: the window is no longer at PLACE, or the screen no longer shows SCREEN (Wine 10 keeps the X
# window of a program in a Wine desktop at the desktop's size, wherever the program puts its window).
moved_from() {
    [ "$(window_place)" != "$1" ] && return
    import -window root "$work/now.png" && compare -metric AE "$2" "$work/now.png" null: 2>/dev/null
    [ $? -eq 1 ]
}

# steered_in LEFT TOP WIDTH HEIGHT: with the pointer on the frame's pixel frame_x,frame_y there, the screen shows the frame.
# The pointer is moved only when elsewhere: xdotool 3.2021's --sync waits 15 s for a move that never comes.
steered_in() {
    local x=$(($1 + (2 * frame_x + 1) * $3 / 640)) y=$(($2 + (2 * frame_y + 1) * $4 / 400))
    [ "$(xdotool getmouselocation --shell | head -n 2 | tr '\n' ' ')" = "X=$x Y=$y " ] || xdotool mousemove --sync $x $y &&
        import -window root "$work/screen.png" && picture_shows "$work/screen.png" "$@" "$work/expected.bmp"
}
# steered_in_window: the same, the frame filling the window's client area, wherever that is now.
steered_in_window() {
    local box
    read -ra box < <(window_place) && steered_in "${box[@]}"
}

# alt_enter [LEFT TOP WIDTH HEIGHT | unseen]: Alt+Enter moves the window, and the frame then shows steered in the box
# given, or filling its client area (a window whole multiples of the frame in its shape), or partly off the screen.
alt_enter() {
    local before
    before=$(window_place) && import -window root "$work/before.png" && xdotool key alt+Return || return 1
    wait_for 10 moved_from "$before" "$work/before.png" || fail "Alt+Enter left the window at $before, the screen as it was" || return 1
    case "${1:-}" in
        unseen) ;;
        "") wait_for 30 steered_in_window || fail "after Alt+Enter, in the window: $(steered_in_window)" ;;
        *) wait_for 30 steered_in "$@" || fail "after Alt+Enter: $(steered_in "$@")" ;;
    esac
}

# check_build BUILD: in an X server and a prefix of its own, torn down when its subshell exits.
check_build() {
    [ "$1" = x64 ] || wine_runs_pe32 || { echo "$no_pe32_reason" && return 77; }
    work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-wine-check.XXXXXX")
    trap 'wine_stop; stop_xvfb; rm -rf "$work"' EXIT
    [[ $(objdump -p "${build[$1]}/platform/varnelo.exe") == *"(Windows GUI)"* ]] || fail "no GUI program" || return 1
    reference_frame "$linux_render" "$assets" "$work/expected.bmp" && start_xvfb "$work" 640x480x24 || return 1
    wine_make_prefix "$work/prefix" || fail "could not create a Wine prefix" || return 1
    # Wine's default renderer draws through OpenGL; gdi draws in software on a bare Xvfb.
    wine_run reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
    wine_run reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
        /d 'winmm.timeBeginPeriod;winmm.timeEndPeriod;user32.SetTimer' >/dev/null 2>&1

    # Without a virtual desktop Wine refuses 320 x 200: a borderless window over the whole screen, the
    # frame doubled between 40-row bands. First, while no Wine desktop has taken the keyboard focus.
    # Alt+Enter to a window, whole multiples of the frame as fit the screen, and back over the whole screen.
    refused_log $'\r' >"$work/refused.log" && start_run "$1" cmd /c run.bat || return 1
    wait_for 30 steered_in 0 40 640 400 && alt_enter && alt_enter 0 40 640 400 || return 1
    play_session 0 40 640 400 "$work/refused.log" || return 1
    wine_stop

    # From here on the bundled scene doubled to 640 x 400, which shows fitted: as the bundled one.
    convert "$assets/scr.tga" -sample 200% "$work/scr.tga" && pictures=("$assets/spot.tga" "$work/scr.tga") || return 1
    expected_log $'\r' >"$work/expected.log"
    # The prefix's own desktop rather than one that explorer starts: a batch file started by explorer has no
    # console to inherit, and Wine 10 opens a console window for it, which may take the front (and the frames'
    # place) from the program. Started from here, it keeps this terminal's.
    wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v varnelo /t REG_SZ /d 320x200 /f >/dev/null 2>&1
    wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d varnelo /f >/dev/null 2>&1
    wine_stop && start_run "$1" cmd /c run.bat || return 1
    eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name '^varnelo - Wine desktop$' | head -n 1)")"
    [ "$WIDTH x $HEIGHT" = "320 x 200" ] || fail "the desktop is $WIDTH x $HEIGHT" || return 1
    # Alt+Enter leaves the exclusive mode for a window larger than the small desktop, and takes it again.
    local desktop=("$X" "$Y")
    wait_for 30 steered_in "${desktop[@]}" 320 200 || fail "no frame full screen" || return 1
    alt_enter unseen && alt_enter "${desktop[@]}" 320 200 || return 1
    play_session "${desktop[@]}" 320 200 "$work/expected.log" || return 1
    wine_run reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
    wine_stop && stop_xvfb

    # A scaled screen the frame does not divide: covered in real pixels, the frame 3.2 times as large
    # between 64-row bands. The 1 ms tick is taken just before the 20 ms timer and given back at the end.
    start_xvfb "$work" 1024x768x24 || return 1
    wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    WINEDEBUG=-all,+relay start_run "$1" cmd /c run.bat || return 1
    play_session 0 64 1024 640 "$work/refused.log" && timer_calls_are timeBeginPeriod SetTimer timeEndPeriod || return 1

    # Started in a window in 4:3: the log has no exclusive attempt; Alt+Enter covers the 4:3 screen with the frame 1.2
    # times as tall as wide, back to the window, and over the screen once more.
    { expected_log $'\r' | head -n 4 && sed 's/$/\r/' "$root/tests/support/window_setup.log"; } >"$work/window.log"
    wine_stop && options="--window --aspect 4:3" start_run "$1" cmd /c run.bat || return 1
    wait_for 30 steered_in_window || fail "no frame in the window: $(steered_in_window)" || return 1
    alt_enter 0 0 1024 768 && alt_enter && alt_enter 0 0 1024 768 || return 1
    play_session 0 0 1024 768 "$work/window.log" || return 1

    # A start that ends early (no spot.tga) takes neither tick nor timer; Return answers its box.
    pictures=("$assets/scr.tga") && WINEDEBUG=-all,+relay start_run "$1" cmd /c run.bat || return 1
    answered() { xdotool key Return && test -s "$work/exit"; }
    wait_for 60 answered; ended_with 1 && timer_calls_are
}

run_checks check_build x86 x64

#!/usr/bin/env bash
# Each Windows build's varnelo.exe under Wine: a GUI program in a loader of its own width, windowed where the mode is
# refused (640 x 480; 1024 x 768 at 144 DPI), full screen in a 320 x 200 desktop (with a 640 x 400 scene, fitted), and
# its calls of the frame timer and the clock's tick, as the relay trace shows them.
# usage: run-wine-checks.sh [X86_BUILD X64_BUILD LINUX_RENDER ASSETS]; prints "N passed, N failed, N skipped"
set -uo pipefail
root=$(readlink -f "$(dirname "$0")/../..")
source "$root/tests/windows/wine.sh"
source "$root/tests/support/desktop.sh"
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
    printf '@echo off\r\nstart "" /wait varnelo.exe\r\n>..\\exit echo %%ERRORLEVEL%%\r\n' >run.bat
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
    refused_log $'\r' >"$work/refused.log" && start_run "$1" cmd /c run.bat || return 1
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
    play_session "$X" "$Y" 320 200 "$work/expected.log" || return 1
    wine_run reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
    wine_stop && stop_xvfb

    # A scaled screen the frame does not divide: covered in real pixels, the frame 3.2 times as large
    # between 64-row bands. The 1 ms tick is taken just before the 20 ms timer and given back at the end.
    start_xvfb "$work" 1024x768x24 || return 1
    wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    WINEDEBUG=-all,+relay start_run "$1" cmd /c run.bat || return 1
    play_session 0 64 1024 640 "$work/refused.log" && timer_calls_are timeBeginPeriod SetTimer timeEndPeriod || return 1

    # A start that ends early (no spot.tga) takes neither tick nor timer; Return answers its box.
    pictures=("$assets/scr.tga") && WINEDEBUG=-all,+relay start_run "$1" cmd /c run.bat || return 1
    answered() { xdotool key Return && test -s "$work/exit"; }
    wait_for 60 answered; ended_with 1 && timer_calls_are
}

run_checks check_build x86 x64

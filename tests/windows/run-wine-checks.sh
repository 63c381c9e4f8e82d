#!/usr/bin/env bash
# Each Windows build's varnelo.exe as a user meets it under Wine: a GUI program in the loader of its own width, in a
# window where the display refuses the mode (640 x 480, and 1024 x 768 scaled to 144 DPI), full screen in a 320 x 200
# virtual desktop (from there on with a scene of 640 x 400, which shows fitted), and its own calls that set the frame
# timer and the clock's tick, as Wine's relay trace shows them.
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

# start_run BUILD COMMAND...: starts COMMAND in a fresh copy of the program's folder, and waits
# for its window. A batch file passes the program's exit code on, which explorer does not.
start_run() {
    rm -rf "$work/run" "$work/exit" && mkdir "$work/run" && cd "$work/run" || return 1
    cp "${build[$1]}/platform/varnelo.exe" "${pictures[@]}" . || return 1
    printf '@echo off\r\nstart "" /wait varnelo.exe\r\n>..\\exit echo %%ERRORLEVEL%%\r\n' >run.bat
    wine_run "${@:2}" >"$work/wine.log" 2>&1 &
    wait_for 60 xdotool search --name '^Varnelo$' || fail "no Varnelo window appeared" || return 1
    # The ELF class of the loader, lest Wine quietly run it some other way. The process has the
    # program's own command line, so its wrappers do not match; nor do other prefixes' runs.
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

# geometry_of NAME: sets X, Y, WIDTH and HEIGHT of the named X window.
geometry_of() { eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name "$1" | head -n 1)")"; }

# check_build BUILD: an X server and a fresh prefix of the check's own, torn down when the
# check's subshell exits.
check_build() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-wine-check.XXXXXX")
    trap 'wine_stop; stop_xvfb; rm -rf "$work"' EXIT
    [[ $(objdump -p "${build[$1]}/platform/varnelo.exe") == *"(Windows GUI)"* ]] || fail "no GUI program" || return 1
    reference_frame "$linux_render" "$assets" "$work/expected.bmp" && start_xvfb "$work" 640x480x24 || return 1
    wine_make_prefix "$work/prefix" || fail "could not create a Wine prefix" || return 1
    # Wine's default renderer draws through OpenGL; gdi draws in software on a bare Xvfb.
    wine_run reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
    # What +relay traces: only these calls, lest the trace grow to megabytes.
    wine_run reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
        /d 'winmm.timeBeginPeriod;winmm.timeEndPeriod;user32.SetTimer' >/dev/null 2>&1

    # Without a virtual desktop Wine refuses 320 x 200: the frames go to a borderless window over
    # the whole screen, twice as large between bands of 40 rows. First, while no Wine desktop has
    # taken the X keyboard focus to a window that then goes; keys go to the window under the pointer.
    refused_log $'\r' >"$work/refused.log" && start_run "$1" cmd /c run.bat || return 1
    play_session 0 40 640 400 "$work/refused.log" || return 1
    wine_stop

    # From here on a scene of 640 x 400, the bundled one with its pixels doubled, which shows fitted
    # to the frame: as the bundled one.
    convert "$assets/scr.tga" -sample 200% "$work/scr.tga" && pictures=("$assets/spot.tga" "$work/scr.tga") || return 1
    expected_log $'\r' >"$work/expected.log"
    start_run "$1" explorer /desktop=varnelo,320x200 cmd /c run.bat && geometry_of '^varnelo - Wine desktop$' || return 1
    [ "$WIDTH x $HEIGHT" = "320 x 200" ] || fail "the desktop is $WIDTH x $HEIGHT" || return 1
    play_session "$X" "$Y" 320 200 "$work/expected.log" || return 1
    wine_stop && stop_xvfb

    # A screen that the frame does not divide, scaled as most laptops' are: the window still covers
    # it in its real pixels, the frame 3.2 times as large between bands of 64 rows. The clock's
    # 1 ms tick is taken just before the 20 ms timer starts and given back at the end.
    start_xvfb "$work" 1024x768x24 || return 1
    wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    WINEDEBUG=-all,+relay start_run "$1" cmd /c run.bat || return 1
    play_session 0 64 1024 640 "$work/refused.log" && timer_calls_are timeBeginPeriod SetTimer timeEndPeriod || return 1

    # A start that ends early, here without spot.tga, takes neither tick nor timer. Return answers
    # its box once the box is up; the window ignores the key.
    pictures=("$assets/scr.tga") && WINEDEBUG=-all,+relay start_run "$1" cmd /c run.bat || return 1
    answered() { xdotool key Return && test -s "$work/exit"; }
    wait_for 60 answered; ended_with 1 && timer_calls_are
}

passed=0 failed=0 skipped=0
for name in x86 x64; do
    if [ "$name" = x86 ] && ! wine_runs_pe32; then
        skipped=$((skipped + 1)) && echo "SKIP x86: $no_pe32_reason" && continue
    fi
    (trap 'exit 143' INT TERM && check_build "$name") &
    # Stopped from outside (a CI time limit), the running check still tears its world down.
    trap 'kill $! && wait $!; exit 143' INT TERM
    if wait $!; then passed=$((passed + 1)) && echo "PASS $name"; else failed=$((failed + 1)) && echo "FAIL $name"; fi
done
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]

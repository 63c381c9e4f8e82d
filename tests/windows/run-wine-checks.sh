#!/usr/bin/env bash
# Checks the Windows builds as a user meets them: the 32-bit varnelo.exe is PE32 for i386,
# no build needs the compiler's runtime DLLs, and each varnelo.exe runs under Wine, in the
# loader of its own width, in a Wine virtual desktop of 320 x 200 and without one.
# Usage: run-wine-checks.sh [X86_BUILD X64_BUILD LINUX_RENDER ASSETS]
# Prints one line per check and "N passed, N failed"; exits 1 when any check failed.
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")
root=$(readlink -f "$here/../..")
source "$here/wine-common.sh"

x86_build=$(readlink -f "${1:-$root/build/windows-x86}")
x64_build=$(readlink -f "${2:-$root/build/windows-x64}")
linux_render=$(readlink -f "${3:-$root/build/release/tools/render/varnelo-render}")
assets=$(readlink -f "${4:-$root/assets}")

# Where the tests move the mouse: off centre, so a frame that ignored the mouse would show.
mouse_x=100
mouse_y=70
frame_bmp_bytes=$((54 + 320 * 200 * 3))

# ---- helpers ---------------------------------------------------------------------------

# wait_until SECONDS COMMAND...: polls COMMAND every fifth of a second until it succeeds.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

fail() {
    echo "    $*"
    return 1
}

imported_dlls() {
    objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'
}

# The log that a set-up in which every DirectDraw call succeeds writes: 17 lines, CR LF.
expected_full_log() {
    local line
    for line in "__________Direct Draw - Log__________" "Debug - mode Inactive" \
        "DirectDrawCreateEx(NULL, &lpDD, IID_IDirectDraw7, NULL);" "    OK" \
        "SetCooperativeLevel(EXCLUSIVE | ALLOWREBOOT | FULLSCREEN);" "    OK" \
        "SetDisplayMode(Width, Height, 32, 0, DDSDM_STANDARDVGAMODE);" "    OK" \
        "CreateSurface(&ddsd, &lpDDSPrimary, NULL);" "    OK" \
        "GetAttachedSurface(&ddscaps, &lpDDSBack);" "    OK" \
        "Creating Offscreen surfaces" \
        "CreateSurface(&ddsd, &lpDDSOne, NULL);" "    OK" \
        "CreateSurface(&ddsd, &lpDDSTwo, NULL);" "    OK"; do
        printf '%s\r\n' "$line"
    done
}

# The log when the display mode is refused with DDERR_UNSUPPORTED; the Czech text is in
# Windows-1250 (0xED i-acute, 0xE1 a-acute).
expected_refused_mode_log() {
    expected_full_log | sed -n 1,7p
    printf 'Operace nen\xed podporov\xe1na !\r\n'
}

# The build folder of x86 or x64.
build_of() {
    case $1 in
    x86) echo "$x86_build" ;;
    x64) echo "$x64_build" ;;
    esac
}

# One Wine run's world: a temporary folder holding the varnelo.exe of build $1 (x86 or x64)
# and its pictures, an X server of its own and a fresh prefix. Everything is torn down by
# end_world.
begin_world() {
    world=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-wine-check.XXXXXX")
    xvfb_pid=""
    wine_pid=""
    mkdir "$world/run"
    cp "$(build_of "$1")/platform/varnelo.exe" "$assets/spot.tga" "$assets/scr.tga" "$world/run/" || return 1
    # -displayfd picks a free display number, so parallel runs do not collide.
    Xvfb -displayfd 3 -noreset -screen 0 640x480x24 -nolisten tcp 3>"$world/display" >"$world/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_until 30 test -s "$world/display" || fail "Xvfb did not start" || return 1
    export DISPLAY=":$(head -n 1 "$world/display")"
    wine_make_prefix "$world/prefix" || fail "could not create a Wine prefix" || return 1
    # Wine's default renderer draws through OpenGL; gdi draws in software on a bare Xvfb.
    wine_run reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1 ||
        fail "could not set the gdi renderer" || return 1
}

end_world() {
    [ -n "${wine_pid:-}" ] && kill "$wine_pid" 2>/dev/null
    wine_stop
    [ -n "${wine_pid:-}" ] && wait "$wine_pid" 2>/dev/null
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    [ -n "${world:-}" ] && rm -rf "$world"
    world="" wine_pid="" xvfb_pid=""
    return 0
}

window_exists() {
    xdotool search --name "$1" >/dev/null 2>&1
}

# Prints "LEFT TOP" of the named X window.
window_corner() {
    local window
    window=$(xdotool search --name "$1") || return 1
    window=${window%%$'\n'*}
    xdotool getwindowgeometry --shell "$window" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x, y}'
}

screen_shows() {
    import -window root "$world/screen.png" 2>/dev/null &&
        "$here/screen_shows_frame.py" "$world/screen.png" "$1" "$2" "$3"
}

file_has_size() {
    [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq "$2" ]
}

log_lines_at_least() {
    [ -f "$1" ] && [ "$(wc -l <"$1")" -ge "$2" ]
}

# The background run writes its exit code to wine.exit when it ends; a finished child that
# is not yet reaped still answers kill -0, so the file is the reliable sign.
wine_running() {
    [ ! -e "$world/wine.exit" ]
}

# start_wine COMMAND...: runs a Wine command in the program's folder, in the background,
# with the hard time limit.
start_wine() {
    (
        cd "$world/run" || exit 1
        timeout -k 5 "$VARNELO_WINE_TIMEOUT" "$WINELOADER" "$@" >"$world/wine.log" 2>&1
        echo $? >"$world/wine.exit"
    ) &
    wine_pid=$!
}

# Prints the ELF class (1 for 32-bit, 2 for 64-bit) of the loader that runs varnelo.exe in
# this world's prefix. Wine gives the process the command line the program was started with,
# so the wrappers around it (timeout, cmd, start) do not match; nor do other prefixes' runs.
loader_elf_class() {
    local pid
    for pid in $(pgrep -u "$(id -u)" -f '^([^ ]*[\\/])?varnelo\.exe( |$)'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        od -An -j4 -N1 -tu1 "/proc/$pid/exe" | tr -d ' '
        return 0
    done
    return 1
}

# expect_loader_width BUILD: the running varnelo.exe of BUILD is in the 32-bit loader for
# x86 and the 64-bit one for x64, so that a Wine that quietly ran it some other way fails.
expect_loader_width() {
    local expected class
    case $1 in
    x86) expected=1 ;;
    x64) expected=2 ;;
    esac
    class=$(loader_elf_class) || fail "no running varnelo.exe found in this prefix" || return 1
    [ "$class" = "$expected" ] || fail "varnelo.exe runs in an ELF class $class loader, not class $expected" || return 1
}

# ---- checks ----------------------------------------------------------------------------

# expect_pe_format BUILD FORMAT MAGIC [ARCHITECTURE]: both programs of BUILD have the given
# object format, optional-header magic and, when named, architecture.
expect_pe_format() {
    local build=$1 format=$2 magic=$3 architecture=${4:-} exe header
    for exe in "$build/platform/varnelo.exe" "$build/tools/render/varnelo-render.exe"; do
        [ -f "$exe" ] || fail "missing: $exe" || return 1
        # Read whole before matching: grep -q leaving early would fail the pipe under pipefail.
        header=$(objdump -f -p "$exe") || fail "cannot read $exe" || return 1
        grep -q "file format $format" <<<"$header" || fail "$exe is not $format" || return 1
        if [ -n "$architecture" ]; then
            grep -q "^architecture: $architecture," <<<"$header" || fail "$exe is not for $architecture" || return 1
        fi
        grep -Eq "^Magic\s+$magic" <<<"$header" || fail "$exe is not $magic" || return 1
    done
}

check_x86_is_pe32_for_i386() {
    expect_pe_format "$x86_build" pei-i386 '010b\s+\(PE32\)' i386 || return 1
    local header
    header=$(objdump -p "$x86_build/platform/varnelo.exe")
    grep -q "(Windows GUI)" <<<"$header" || fail "varnelo.exe is not a GUI program"
}

check_x64_is_pe32plus_for_x86_64() {
    expect_pe_format "$x64_build" pei-x86-64 '020b\s+\(PE32\+\)'
}

check_programs_need_only_system_dlls() {
    local exe dlls
    for exe in "$x86_build/platform/varnelo.exe" "$x86_build/tools/render/varnelo-render.exe" \
        "$x64_build/platform/varnelo.exe" "$x64_build/tools/render/varnelo-render.exe"; do
        dlls=$(imported_dlls "$exe") || fail "cannot read $exe" || return 1
        if grep -Eq 'libstdc|libgcc|winpthread|sdl' <<<"$dlls"; then
            fail "$exe needs $(grep -E 'libstdc|libgcc|winpthread|sdl' <<<"$dlls" | tr '\n' ' ')" || return 1
        fi
        case "$exe" in
        */varnelo.exe) grep -qx 'ddraw.dll' <<<"$dlls" || fail "$exe does not import ddraw.dll" || return 1 ;;
        esac
    done
}

# check_desktop_run_end_to_end BUILD: in a 320 x 200 virtual desktop every set-up call
# succeeds: the flipped frame shows and follows the mouse, F12 saves exactly what
# varnelo-render draws, Esc ends with 0.
check_desktop_run_end_to_end() {
    begin_world "$1" || return 1
    local run=$world/run corner left top
    "$linux_render" --spot "$assets/spot.tga" --scene "$assets/scr.tga" --at "$mouse_x,$mouse_y" \
        -o "$world/moved.bmp" >/dev/null || fail "varnelo-render failed" || return 1

    # explorer does not pass the program's exit code on; the batch file keeps it.
    printf '@echo off\r\nstart "" /wait varnelo.exe\r\n>exitcode.txt echo %%ERRORLEVEL%%\r\n' >"$run/run.bat"
    start_wine explorer /desktop=varnelo,320x200 cmd /c run.bat

    wait_until 60 window_exists '^Varnelo$' || fail "no Varnelo window appeared" || return 1
    expect_loader_width "$1" || return 1
    corner=$(window_corner '^varnelo - Wine desktop$') || fail "no Wine desktop window" || return 1
    read -r left top <<<"$corner"
    wait_until 30 log_lines_at_least "$run/DirectX.log" 17 || fail "DirectX.log is incomplete" || return 1
    cmp -s "$run/DirectX.log" <(expected_full_log) ||
        fail "DirectX.log differs from the 17 lines of a full set-up:" "$(cat -A "$run/DirectX.log")" || return 1
    # Where start-up's SetCursorPos leaves the pointer depends on where the X pointer was,
    # so the frame looked for on screen is the one for a position the test sets itself.
    xdotool mousemove "$((left + mouse_x))" "$((top + mouse_y))"
    wait_until 30 screen_shows "$left" "$top" "$world/moved.bmp" ||
        fail "the lit scene at $mouse_x,$mouse_y never showed: $(screen_shows "$left" "$top" "$world/moved.bmp")" ||
        return 1

    xdotool key F12
    wait_until 30 file_has_size "$run/Screenshot 0.bmp" "$frame_bmp_bytes" ||
        fail "F12 wrote no full \"Screenshot 0.bmp\"" || return 1
    wine_running && [ ! -e "$run/exitcode.txt" ] || fail "varnelo.exe ended before Esc" || return 1
    xdotool key Escape
    wait_until 60 test -s "$run/exitcode.txt" || fail "varnelo.exe did not end after Esc" || return 1
    [ "$(tr -d '\r\n ' <"$run/exitcode.txt")" = 0 ] ||
        fail "exit code $(cat "$run/exitcode.txt")" || return 1
    cmp "$run/Screenshot 0.bmp" "$world/moved.bmp" ||
        fail "\"Screenshot 0.bmp\" differs from varnelo-render --at $mouse_x,$mouse_y" || return 1
    [ ! -e "$run/Screenshot 1.bmp" ] || fail "one F12 wrote more than one screenshot" || return 1
    cmp -s "$run/DirectX.log" <(expected_full_log) || fail "DirectX.log changed after the set-up" || return 1
}

# check_refused_mode_run BUILD: without a virtual desktop Wine cannot switch this X server
# to 320 x 200: the log ends with the refused SetDisplayMode in Czech, and the program still
# runs and ends with 0.
check_refused_mode_run() {
    begin_world "$1" || return 1
    local run=$world/run corner left top code
    start_wine varnelo.exe

    wait_until 60 window_exists '^Varnelo$' || fail "no Varnelo window appeared" || return 1
    wait_until 30 log_lines_at_least "$run/DirectX.log" 8 || fail "DirectX.log is incomplete" || return 1
    cmp -s "$run/DirectX.log" <(expected_refused_mode_log) ||
        fail "DirectX.log does not end with the refused mode:" "$(cat -A "$run/DirectX.log")" || return 1

    wine_running || fail "varnelo.exe ended before Esc" || return 1
    # Keys go to the window under the pointer: no window manager hands out focus here.
    corner=$(window_corner '^Varnelo$') || return 1
    read -r left top <<<"$corner"
    xdotool mousemove "$((left + 10))" "$((top + 10))" key Escape
    wait_until 60 test -s "$world/wine.exit" || fail "varnelo.exe did not end after Esc" || return 1
    code=$(cat "$world/wine.exit")
    [ "$code" = 0 ] || fail "exit code $code" || return 1
    cmp -s "$run/DirectX.log" <(expected_refused_mode_log) || fail "DirectX.log grew after the refusal" || return 1
}

# ---- runner ----------------------------------------------------------------------------

passed=0
failed=0
check_pid=""
# Stopped from outside (a CI time limit), the running check still tears its world down.
trap '[ -n "$check_pid" ] && kill "$check_pid" 2>/dev/null && wait "$check_pid"; exit 143' INT TERM
for check in check_x86_is_pe32_for_i386 check_x64_is_pe32plus_for_x86_64 \
    check_programs_need_only_system_dlls \
    "check_desktop_run_end_to_end x86" "check_desktop_run_end_to_end x64" \
    "check_refused_mode_run x86" "check_refused_mode_run x64"; do
    started=$SECONDS
    # Each check in a subshell, so its world is torn down however it ends.
    (
        trap end_world EXIT
        trap 'exit 143' INT TERM
        # shellcheck disable=SC2086 # the check's name and its build
        $check
    ) &
    check_pid=$!
    if wait "$check_pid"; then
        echo "PASS $check ($((SECONDS - started)) s)"
        passed=$((passed + 1))
    else
        echo "FAIL $check ($((SECONDS - started)) s)"
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

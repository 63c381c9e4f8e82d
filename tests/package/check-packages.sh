#!/usr/bin/env bash
# The release packages as users meet them: each .deb and tarball run from a folder without pictures (arm64 under
# QEMU), each Windows zip under Wine, the web zip in Chromium, judged by Lighthouse, and compared with the web
# command's page. usage: check-packages.sh [DIST LINUX_RENDER [CHECK...]]   (scripts/package.sh fills DIST; CHECK:
# "deb amd64", "deb arm64", "tar x86_64", "tar aarch64", "windows x86", "windows x64" or web, all by default);
# prints "N passed, N failed, N skipped"
source "$(dirname "$0")/../windows/checks-start.sh"
dist=$(readlink -f "${1:-$root/dist}") render=$(readlink -f "${2:-$root/build/release/tools/render/varnelo-render}")
version=$(sed -n 's/^project(varnelo VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")

# unpack ARCHIVE: the archive's one folder becomes $work/run, where the program will run.
unpack() {
    [ -f "$1" ] || fail "no $1" || return 1
    (cd "$work" && cmake -E tar xf "$1") && mv "$work/$(basename "$1" | sed 's/\.zip$//')" "$work/run"
}

# check_deb ARCH: the arm64 package's programs run under QEMU, on Debian's multiarch arm64 libraries.
check_deb() {
    local deb=$dist/varnelo_${version}_$1.deb tree=$work/root page out run=()
    [ "$1" = amd64 ] || run=(qemu-aarch64)
    [ -f "$deb" ] && lintian --fail-on error,warning "$deb" >"$work/lintian" 2>/dev/null ||
        fail "lintian on $deb: $(cat "$work/lintian")" || return 1
    dpkg-deb -x "$deb" "$tree" && desktop-file-validate "$tree/usr/share/applications/varnelo.desktop" || return 1
    for page in man6/varnelo.6.gz man1/varnelo-render.1.gz; do
        out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$tree/usr/share/man/$page" 2>&1 >/dev/null)
        [ -z "$out" ] || fail "man $page: $out" || return 1
    done
    runs_from_empty "$tree/usr/share/varnelo" "${run[@]}" "$tree/usr/bin/varnelo"
}

# runs_from_empty PICTURES PROGRAM...: it answers --version, and from an empty folder works in ~/Pictures/varnelo,
# given the bundled PICTURES, for a whole session under Xvfb.
runs_from_empty() {
    local out
    out=$("${@:2}" --version) && [ "$out" = "varnelo $version" ] || fail "--version: $out" || return 1
    mkdir -p "$work/home" "$work/empty" && ln -s home/Pictures/varnelo "$work/run" || return 1
    reference_frame "$render" "$1" "$work/expected.bmp" && start_xvfb "$work" 960x720x24 || return 1
    (cd "$work/empty" && HOME="$work/home" timeout -k 5 60 env -u XDG_CONFIG_HOME "${@:2}" 2>"$work/err"
     echo $? >"$work/exit") &
    expected_log >"$work/expected.log"
    play_session 0 60 960 600 "$work/expected.log" || fail "varnelo said: $(cat "$work/err")" || return 1
    [ -z "$(ls "$work/empty")" ] || fail "the folder it started in was written to"
}

# check_tar ARCH: unpacked into a path with a blank and started through a link from another folder (aarch64: its
# programs under QEMU); it needs glibc 2.36 and SDL 2 alone, and without SDL 2 the launcher names the package.
check_tar() {
    local tarball=$dist/varnelo-$version-linux-$1.tar.gz top="$work/un packed/varnelo-$version-linux-$1" program out wrong newest
    mkdir -p "$work/un packed" "$work/bin" && tar -C "$work/un packed" -xzf "$tarball" || fail "cannot unpack $tarball" || return 1
    /usr/bin/python3 - "$tarball" "${top##*/}" <<'PY' || return 1
import sys, tarfile
programs = ("varnelo", "bin/varnelo", "bin/varnelo-render")
names = ("/", "LICENSE", "README", "bin/", *programs[1:], "share/", "share/man/", "share/man/man1/", "share/man/man1/varnelo-render.1.gz",
         "share/man/man6/", "share/man/man6/varnelo.6.gz", "share/varnelo/", "share/varnelo/scr.tga", "share/varnelo/spot.tga", "varnelo")
expected = [(f"{sys.argv[2]}/{name}".strip("/"), name.endswith("/"), "755" if name.endswith("/") or name in programs else "644", 0, 0)
            for name in names]
with tarfile.open(sys.argv[1]) as tar:
    found = [(entry.name, entry.isdir(), f"{entry.mode:o}", entry.uid, entry.gid) for entry in tar]
    times = {entry.mtime for entry in tar}
wrong = [(entry, "missing" if entry in expected else "unexpected") for entry in set(found) ^ set(expected)]
sys.exit(f"FAIL: in the tarball (name, folder, mode, owner, group) {wrong}, dated {times}, in name order: {found == sorted(found)}"
         if found != expected or len(times) != 1 else 0)
PY
    cmp "$top/share/varnelo/spot.tga" "$root/assets/spot.tga" && cmp "$top/share/varnelo/scr.tga" "$root/assets/scr.tga" || return 1
    # What a distribution must have: no library but SDL 2 and glibc's, and no symbol of a glibc after 2.36, Debian 12's,
    # where the releases are built (built elsewhere: after the builder's own).
    newest=36 && [ "$(. /etc/os-release && echo "$ID $VERSION_ID")" = "debian 12" ] || newest=$(getconf GNU_LIBC_VERSION | cut -d. -f2)
    for program in "$top/bin/varnelo" "$top/bin/varnelo-render"; do
        out=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' |
            grep -vx -e 'libSDL2-2\.0\.so\.0' -e 'lib[cm]\.so\.6' -e 'ld-linux-[a-z0-9-]*\.so\.[12]')
        [ -z "$out" ] || fail "${program##*/} needs $out" || return 1
        out=$(readelf -V "$program" | sed -n 's/.*Name: \([A-Z_]*[0-9.]*\) .*/\1/p' | sort -uV | paste -sd' ')
        wrong=$(tr ' ' '\n' <<<"$out" | awk -F'[_.]' -v newest="$newest" '!($1 == "GLIBC" && $2 == 2 && $3 <= newest)')
        [[ $out == *GLIBC_2.* && -z $wrong ]] || fail "${program##*/} needs $wrong, of $out" || return 1
    done
    if [ "$1" = aarch64 ]; then
        runs_from_empty "$top/share/varnelo" qemu-aarch64 "$top/bin/varnelo" && cd "$work" &&
            qemu-aarch64 "$top/bin/varnelo-render" --spot "$top/share/varnelo/spot.tga" --scene "$top/share/varnelo/scr.tga" \
                --at "$frame_x,$frame_y" -o arm64.bmp >/dev/null && cmp arm64.bmp expected.bmp
        return
    fi
    ln -s "$top/varnelo" "$work/bin/varnelo" && runs_from_empty "$top/share/varnelo" "$work/bin/varnelo" || return 1
    # Where SDL 2 is missing: the folder the loader takes it from, without it, in a mount namespace of its own.
    out=$(unshare -rm true 2>&1) || { echo "the rest passed; not run without SDL 2: unshare -rm says $out" && return 77; }
    out=$(LD_TRACE_LOADED_OBJECTS=1 "$top/bin/varnelo" | sed -n 's/.*libSDL2-2\.0\.so\.0 => \(.*\) (0x.*/\1/p')
    mkdir "$work/ns" && [ -f "$out" ] || fail "the loader finds no SDL 2 to hide: $out" || return 1
    env -u DISPLAY timeout -k 5 60 unshare -rm sh -c 'mkdir "$1/real" "$1/lib" && mount --bind "$2" "$1/real" &&
        ln -s "$1/real"/* "$1/lib" && rm "$1/lib"/libSDL2-2.0.so.0* && mount --bind "$1/lib" "$2" && exec "$3"' \
        _ "$work/ns" "$(dirname "$(readlink -f "$out")")" "$work/bin/varnelo" >"$work/out" 2>"$work/err"
    out=$? && [ "$out" = 1 ] && [ ! -s "$work/out" ] && [ "$(cat "$work/err")" = "varnelo: SDL 2 is missing; install libsdl2-2.0-0\
 (Debian, Ubuntu), SDL2 (Fedora), sdl2 (Arch), libSDL2-2_0-0 (openSUSE)" ] ||
        fail "without SDL 2 it ended with $out, said $(cat "$work/err") and printed $(cat "$work/out")"
}

# exe_resources EXE: the manifest makes it per-monitor DPI aware for Vista to 11; the 256 icon is a compressed PNG.
exe_resources() {
    wrestool -x --raw -t 24 -n 1 "$1" >"$work/manifest.xml" && wrestool -x -t 14 "$1" >"$work/icon.ico" &&
        [ -s "$work/manifest.xml" ] && [ -s "$work/icon.ico" ] ||
        fail "no manifest or icon in $1" || return 1
    /usr/bin/python3 - "$work/manifest.xml" "$work/icon.ico" <<'PY'
import struct, sys, xml.etree.ElementTree as ET
ns = {"v3": "urn:schemas-microsoft-com:asm.v3", "c": "urn:schemas-microsoft-com:compatibility.v1",
      "w5": "http://schemas.microsoft.com/SMI/2005/WindowsSettings", "w16": "http://schemas.microsoft.com/SMI/2016/WindowsSettings"}
root, ico = ET.parse(sys.argv[1]).getroot(), open(sys.argv[2], "rb").read()
images = [struct.unpack_from("<B7xII", ico, 6 + 16 * i) for i in range(ico[4])]
_, size, offset = max(images, key=lambda image: image[0] or 256)  # a width of 256 is written as 0
found = {"root": root.tag, "256 as a PNG of at most 64 KiB": ico[offset:offset + 8] == b"\x89PNG\r\n\x1a\n" and size <= 65536,
         "dpiAwareness": root.findtext("v3:application/v3:windowsSettings/w16:dpiAwareness", namespaces=ns),
         "dpiAware": root.findtext("v3:application/v3:windowsSettings/w5:dpiAware", namespaces=ns),
         "supportedOS": [entry.get("Id") for entry in root.iterfind("c:compatibility/c:application/c:supportedOS", ns)]}
expected = {"root": "{urn:schemas-microsoft-com:asm.v1}assembly", "256 as a PNG of at most 64 KiB": True,
            "dpiAwareness": "PerMonitorV2, PerMonitor", "dpiAware": "true/pm", "supportedOS": [  # Vista, 7, 8, 8.1, 10 and 11
                "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]}
wrong = {key: found[key] for key in expected if found[key] != expected[key]}
sys.exit(f"FAIL: varnelo.exe's resources hold {wrong}; the icon's images (width, bytes, offset): {images}" if wrong else 0)
PY
}

check_windows() {
    local out
    unpack "$dist/varnelo-$version-windows-$1.zip" && cd "$work/run" || return 1
    [ "$(ls | tr '\n' ' ')" = "LICENSE.txt README.txt scr.tga spot.tga varnelo-render.exe varnelo.exe " ] ||
        fail "the zip holds $(ls)" || return 1
    cmp spot.tga "$root/assets/spot.tga" && cmp scr.tga "$root/assets/scr.tga" || return 1
    ! grep -qv $'\r$' README.txt LICENSE.txt || fail "a text without CR LF line ends" || return 1
    out=$(objdump -h varnelo.exe)
    [[ $out == *" .rsrc "* && $out != *" .debug"* ]] || fail "varnelo.exe sections: $out" || return 1
    out=$(strings -el varnelo.exe | grep -A1 --no-group-separator -x -e '[A-Za-z]*Version' -e OriginalFilename | paste -sd' ')
    [ "$out" = "FileVersion $version OriginalFilename varnelo.exe ProductVersion $version" ] ||
        fail "version resource: $out" || return 1
    exe_resources varnelo.exe || return 1
    [ "$1" = x64 ] || wine_runs_pe32 || { echo "its contents passed; not run: $no_pe32_reason" && return 77; }
    reference_frame "$render" "$root/assets" "$work/expected.bmp" && start_xvfb "$work" 640x480x24 || return 1
    wine_make_prefix "$work/prefix" || fail "could not create a Wine prefix" || return 1
    wine_run reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
    # An option it does not know: said in the "varnelo" box, which Return answers, and exit status 2.
    printf '@echo off\r\nstart "" /wait varnelo.exe %%1\r\n>..\\exit echo %%ERRORLEVEL%%\r\n' >"$work/run.bat"
    wine_run cmd /c '..\run.bat' --fullscreen >"$work/wine.log" 2>&1 &
    wait_for 60 xdotool search --name '^varnelo$' || fail "no box for an unknown option" || return 1
    answered() { xdotool key Return && test -s "$work/exit"; }
    wait_for 60 answered && ended_with 2 && rm "$work/exit" || return 1
    # Started as a double-click does; with no 320 x 200 mode, in a window.
    wine_run cmd /c '..\run.bat' >"$work/wine.log" 2>&1 &
    wait_for 60 xdotool search --name '^Varnelo$' || fail "no Varnelo window appeared" || return 1
    refused_log $'\r' >"$work/refused.log"
    play_session 0 40 640 400 "$work/refused.log" || return 1
    # The program beside it makes the pictures from a photo as the Linux one does.
    /usr/bin/python3 -c 'from PIL import Image; Image.open("scr.tga").resize((640, 400)).save("photo.png")' &&
        wine_run varnelo-render.exe --fit-scene photo.png -o fitted.tga && "$render" --fit-scene photo.png -o "$work/fitted.tga" &&
        cmp fitted.tga "$work/fitted.tga" || fail "the zip's varnelo-render.exe fits a photo otherwise"
}

check_web() {
    local port=$((20000 + RANDOM % 20000)) server file differs="" lighthouse
    unpack "$dist/varnelo-$version-web.zip" || return 1
    # The web command serves, file for file, the page that the zip holds.
    (cd "$root" && exec ./scripts/web.sh "$port" >"$work/web.log" 2>&1) &
    server=$!
    wait_for 300 curl -sf "http://127.0.0.1:$port/" || differs="nothing served: $(cat "$work/web.log")"
    for file in $(cd "$work/run" && find . -type f); do
        curl -sf "http://127.0.0.1:$port/${file#./}" | cmp -s - "$work/run/$file" || differs+=" $file"
    done
    node "$root/tests/web/lighthouse.mjs" "http://127.0.0.1:$port/" && lighthouse=ok
    kill "$server" && wait "$server" 2>/dev/null
    [ -z "$differs" ] || fail "the web command's page differs from the zip: $differs" || return 1
    [ -n "$lighthouse" ] || fail "Lighthouse scored the page below 100" || return 1
    node "$root/tests/web/page_test.mjs" "$work/run" "$render" "$root/assets"
}

# check KIND [ARCH]: with a folder, X server and Wine prefix of its own, torn down on exit.
check() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-package.XXXXXX") && trap 'wine_stop; stop_xvfb; rm -rf "$work"' EXIT
    "check_$1" "${@:2}"
}
checks=("${@:3}") && [ ${#checks[@]} -gt 0 ] || checks=("deb amd64" "deb arm64" "tar x86_64" "tar aarch64" "windows x86" "windows x64" web)
run_checks check "${checks[@]}"

#!/usr/bin/env bash
# The Linux program installed into a scratch prefix: its command line, and the folder it works in
# when started from one without pictures. No display: each start-up ends at the window.
# usage: installed_program.sh BUILD_DIR VERSION BUILT_PROGRAM NO_LINKS_LIBRARY
set -uo pipefail
source "$(dirname "$0")/../support/desktop.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/varnelo-installed-XXXXXX") && trap 'rm -rf "$work"' EXIT
cmake --install "$1" --prefix "$work/usr" >/dev/null || fail "cmake --install $1" || exit 1
program=$work/usr/bin/varnelo bundled=$work/usr/share/varnelo failures=0

# start FOLDER [ENV...]: runs the program in FOLDER, with $arguments if set, no display (SDL's memory driver is refused)
# and standard input closed, as some launchers leave it: the files it opens then start at descriptor 0.
start() { (cd "$1" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME "${@:2}" timeout -k 5 20 "$program" ${arguments:-} >out 2>err <&-); }
check() { "$@" || { echo "FAIL: $*" >&2 && failures=$((failures + 1)); }; }
said() { grep -qxF "$2" "$1" || { echo "    $1 holds: $(cat "$1")" >&2 && return 1; }; }

mkdir "$work/options"
usage="usage: varnelo [--window] [--aspect 4:3|square] [--whole] | --help | --version"
while IFS=';' read -r args output code stream text; do
    (cd "$work/options" && "$program" $args >"${output:-out}" 2>err)
    check test "$args: $?" = "$args: $code" && check said "$work/options/$stream" "$text"
done <<EOF
--version;;0;out;varnelo $2
--help;;0;out;$usage
--help;;0;out;  --whole           scale by whole numbers only, so that every pixel is as large
--help;/dev/full;1;err;varnelo: cannot write to standard output: No space left on device
--version;/dev/full;1;err;varnelo: cannot write to standard output: No space left on device
--fullscreen;;2;err;$usage
--fullscreen;;2;err;varnelo: unknown option --fullscreen
--help extra;;2;err;varnelo: --help takes no argument such as extra
--whole --version;;2;err;varnelo: --version goes alone, not after --whole
picture.tga;;2;err;varnelo: unexpected argument picture.tga
--whole --window --whole;;2;err;varnelo: --whole given twice
--window --aspect square --window;;2;err;varnelo: --window given twice
--aspect 4:3 --aspect square;;2;err;varnelo: --aspect given twice
--whole --aspect;;2;err;varnelo: --aspect needs a value
--aspect 16:9;;2;err;varnelo: --aspect takes 4:3 or square, not 16:9
--aspect 4:3 --whole --window extra;;2;err;varnelo: unexpected argument extra
EOF

# The pictures folder xdg-user-dirs names (past a cut-off line): the user's spot stays, the scene is added.
# Started with every option, which leave the start as it is up to the window.
home=$work/home pictures=$work/home/Bilder/varnelo
mkdir -p "$home/config" "$pictures" "$work/empty" && echo mine >"$pictures/spot.tga"
printf 'XDG_PICTURES_DIR="$HOME/Cut\nXDG_PICTURES_DIR="$HOME/Bilder"\n' >"$home/config/user-dirs.dirs"
arguments="--whole --aspect 4:3 --window" start "$work/empty" HOME="$home" XDG_CONFIG_HOME="$home/config"
check said "$work/empty/err" "varnelo: cannot create the window"
check said "$work/empty/out" "varnelo: working in $pictures"
check test "$(cat "$pictures/spot.tga")" = mine
check cmp "$pictures/scr.tga" "$bundled/scr.tga"
check test "$(ls "$work/empty" | paste -sd' ')" = "err out"
# On a display (SDL's memory one, named) the demo sets up in that folder, its log there, and ends at the user's spot.tga.
start "$work/empty" HOME="$home" XDG_CONFIG_HOME="$home/config" SDL_VIDEODRIVER=dummy
check cmp "$pictures/DirectX.log" <(expected_log) && check test "$(ls "$work/empty" | paste -sd' ')" = "err out"

# The folder xdg-user-dir names, for each form of record; where its second expansion (eval echo) changes
# a value, the first reading holds (after |). Lines with $ or ` to expand, or text after the quote, are passed over.
while IFS='|' read -r record folder; do
    printf '%b\n' "${record//WORK/$work}" >"$home/config/user-dirs.dirs"
    start "$work/empty" HOME="$home" XDG_CONFIG_HOME="$home/config"
    named=$(HOME="$home" XDG_CONFIG_HOME="$home/config" xdg-user-dir PICTURES) && [ -z "$folder" ] || named=$home/$folder
    check test "$record: $(realpath -m "$(sed -n 's/^varnelo: working in //p' "$work/empty/out")")" = "$record: $(realpath -m "$named/varnelo")"
done <<'EOF'
 \t XDG_PICTURES_DIR="$HOME/Fotos" \t
XDG_PICTURES_DIR="$HOME/A"\n# XDG_PICTURES_DIR="$HOME/B"\nXDG_PICTURES_DIR="$HOME/C"
XDG_PICTURES_DIR="$HOME"
XDG_PICTURES_DIR=""
XDG_PICTURES_DIR="$HOME//tmp/x"
XDG_PICTURES_DIR="WORK/absolute"
XDG_PICTURES_DIR="$HOME/Fotos" # chosen in the settings
XDG_PICTURES_DIR="$HOME/My \"Pics\""
XDG_PICTURES_DIR="$HOME/cost \$5 and \`date\`"
XDG_PICTURES_DIR="$HOME/back\\\\slash"
XDG_PICTURES_DIR="$HOME/two  blanks"|two  blanks
XDG_PICTURES_DIR="$HOME/star*"|star*
XDG_PICTURES_DIR="$HOME/B"\nXDG_PICTURES_DIR="$HOME/$USER"|B
XDG_PICTURES_DIR="$HOME/B"\nXDG_PICTURES_DIR="/pictures/`whoami`"|B
XDG_PICTURES_DIR="$HOME/B"\nXDG_PICTURES_DIR="$HOME/x"y|B
XDG_PICTURES_DIR="$HOME/B"\nXDG_PICTURES_DIR="$HOME/x"#not a comment|B
XDG_PICTURES_DIR="$HOME/B"\nXDG_PICTURES_DIR="$HOME/unclosed|B
EOF

# A first start cut short (a size limit) leaves no part scr.tga to pass for the user's; the next one copies it whole.
(trap '' XFSZ && ulimit -f 100 && start "$work/empty" HOME="$work/fresh")
check said "$work/empty/err" "varnelo: cannot prepare $work/fresh/Pictures/varnelo/scr.tga: File too large"
check test ! -s "$work/empty/out"  # it went no further
start "$work/empty" HOME="$work/fresh"
check cmp "$work/fresh/Pictures/varnelo/scr.tga" "$bundled/scr.tga"
check test "$(ls -A "$work/fresh/Pictures/varnelo" | paste -sd' ')" = "scr.tga spot.tga"

# Without hard links or plain renames (FUSE, e.g. sshfs): pictures whole, the user's kept. LD_PRELOAD splits at blanks: copied.
cp "$4" "$work/" && no_links=(LD_PRELOAD="$work/${4##*/}" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0")
for errors in "22 1" "38 38" "22 95"; do
    fuse=$work/fuse-${errors/ /-} && mkdir -p "$fuse/Pictures/varnelo" && echo mine >"$fuse/Pictures/varnelo/spot.tga"
    start "$work/empty" HOME="$fuse" "${no_links[@]}" REFUSED_RENAME_ERRNO="${errors% *}" REFUSED_LINK_ERRNO="${errors#* }"
    check cmp "$fuse/Pictures/varnelo/scr.tga" "$bundled/scr.tga"
    check test "$(cat "$fuse/Pictures/varnelo/spot.tga") $(ls -A "$fuse/Pictures/varnelo" | paste -sd' ')" = "mine scr.tga spot.tga"
done
# There a picture cut short goes again: a tmpfs with room for the pictures once, not for a second scene, shows it.
if unshare -rm true 2>/dev/null; then namespace=(unshare -rm); else namespace=(unshare -m); fi
for way in renaming no-links; do
    preload=() && [ $way = renaming ] || preload=("${no_links[@]}" REFUSED_RENAME_ERRNO=22 REFUSED_LINK_ERRNO=1)
    (cd "$work/empty" && exec "${namespace[@]}" bash -c 'mkdir "$1" && mount -t tmpfs -o size=256k tmpfs "$1" &&
        (shift && exec "$@"); ls -A "$1/Pictures/varnelo" | paste -sd" " >"$1.listing"' _ "$work/small-$way" \
        env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/small-$way" "${preload[@]}" timeout -k 5 20 "$program" >out 2>err)
done
check test "$(cat "$work/small-renaming.listing"), $(cat "$work/small-no-links.listing")" = "scr.tga spot.tga, spot.tga"
check said "$work/empty/err" "varnelo: cannot prepare $work/small-no-links/Pictures/varnelo/scr.tga: No space left on device"

# The program as built, with no pictures beside it to give, stays where it was started, as it always has.
mkdir "$work/built" && program=$3 start "$work/built" HOME="$work/builder"
check test ! -e "$work/builder"
# Without a home there is no pictures folder: the start says where it looked, and why nowhere else.
mkdir "$work/homeless"
for home in "-u HOME" HOME= HOME=relative; do
    start "$work/homeless" $home
    check said "$work/homeless/err" "varnelo: no spot.tga or scr.tga in $work/homeless, and no pictures folder to take them from, as HOME is $(
        case $home in -u*) echo not set ;; HOME=) echo empty ;; *) echo "relative (relative)" ;; esac)"
    check test "$(ls "$work/homeless" | paste -sd' ')" = "err out"
done
[ "$failures" -eq 0 ] && echo PASS

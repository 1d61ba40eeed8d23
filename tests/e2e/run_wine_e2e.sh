#!/usr/bin/env bash
# Drives lumora.exe, as it is shipped, under Wine on an X server of its own
# with no window manager, the way a player would: the stored folder of games
# lists, a pick shows both screenshots, "Run Gravlok" starts the emulator (a
# stand-in gravlok.exe beside lumora.exe that writes down its command line),
# a drive that cannot be read gives "Drive Error!" and the lists recover,
# another of Wine's drives is chosen and left again, a folder deeper than 260
# characters lists, and its game named in characters the ANSI code page
# lacks shows its screenshot and reaches the emulator by its short name;
# "Exit" writes Lumora.INI byte for byte as expected, the game and the deep
# folder by their short names.
#
# Usage: run_wine_e2e.sh STAGE STANDIN_EXE ARTEFACT_DIR WINE_PREFIX
#
# STAGE is the folder `cmake --install` made of the Windows build. Controls
# are clicked at their designed places (twips / 15 from the client area's
# origin). A screenshot of the window is kept in ARTEFACT_DIR.
#
# Exit status: 0 passed, 1 failed, 77 a needed tool is missing (skipped).
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
stage="${1:?usage: run_wine_e2e.sh STAGE STANDIN_EXE ARTEFACT_DIR WINE_PREFIX}"
standin="${2:?}"
artefacts="${3:?}"
prefix="${4:?}"
wait_limit="${LUMORA_E2E_WAIT:-60}" # Wine's first start of a program takes seconds
wine_run="$here/../../scripts/wine-run.sh"

for tool in Xvfb xdotool xwininfo import convert od cmp perl; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "e2e-wine: skipped: '$tool' is not installed (scripts/deps.sh lists the test packages)"
        exit 77
    fi
done
mkdir -p "$artefacts" && artefacts="$(realpath "$artefacts")"
stage="$(realpath "$stage")" standin="$(realpath "$standin")" prefix="$(realpath -m "$prefix")"
rm -f "$artefacts"/wine-*.png

work="$(mktemp -d /tmp/lumora-wine.XXXXXX)" || exit 1
app="$work/app" games="$work/games" shots="$work/shots" dvd="$work/dvd"
ini="$app/Lumora.INI" started="$app/gravlok-started.txt"
xvfb_pid="" lumora_pid="" display_number=""
say() { echo "e2e-wine: $*"; }
fail() {
    echo "e2e-wine: FAILED: $*" >&2
    {
        echo "--- the stand-in's record"
        cat "$started" 2>/dev/null || echo "(none)"
        echo "--- Lumora.INI"
        od -Ax -tx1 "$ini" 2>/dev/null | head -40 || echo "(none)"
        echo "--- Wine's output"
        cat "$work/lumora.out" 2>/dev/null
    } >&2
    [ -n "$display_number" ] && import -window root "$artefacts/wine-failure.png" 2>/dev/null &&
        echo "e2e-wine: failure screenshot: $artefacts/wine-failure.png" >&2
    exit 1
}
# shellcheck source=tests/e2e/e2e_lib.sh
. "$here/e2e_lib.sh"
cleanup() {
    stop_pid "$lumora_pid"
    WINE_DISPLAY= bash "$wine_run" "$prefix" --stop
    rm -f "$prefix/dosdevices/d:"
    stop_pid "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'fail "interrupted"' INT TERM

# Paths as Windows programs under Wine see them: the root is drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# ---- The player's folder: Lumora beside the emulator, the games and the
# screenshots elsewhere, the settings naming both, "2 Frames" chosen.
mkdir -p "$games" "$shots" "$dvd" || fail "cannot build the work area"
cp -r "$stage" "$app" && cp "$standin" "$app/gravlok.exe" || fail "cannot copy the program"
# Its manifest lets Windows give it paths of any length where the system allows.
grep -q '<longPathAware[^>]*>true<' "$app/lumora.exe" && grep -q 'supportedOS Id="{8e0f7a12' "$app/lumora.exe" ||
    fail "lumora.exe carries no manifest saying it is long-path aware and made for Windows 10 and 11"
: >"$games/PUZZLE.ZIP"
: >"$games/GAME B.ZIP"
: >"$games/notes.txt"
# One folder of 240 characters below the games: more than 260 in all.
deep="$games/$(printf 'deep%.0s' $(seq 60))"
far_game="漢字.zip"
mkdir -p "$deep" && : >"$deep/$far_game" || fail "cannot make the deep folder"
convert -size 200x150 xc:red "BMP3:$shots/GAME B.ZIP1.bmp" &&
    convert -size 200x150 xc:blue "BMP3:$shots/GAME B.ZIP2.bmp" &&
    convert -size 200x150 xc:lime "BMP3:$shots/${far_game}1.bmp" || fail "cannot make the screenshots"
picked="$(winpath "$games/GAME B.ZIP")"
head -c 1920 /dev/zero >"$ini"
put_string_record 2 "$(winpath "$shots")"
put_string_record 3 "$(winpath "$games")"
printf '\x0b\x00\xff\xff' | dd of="$ini" bs=1 seek=$((4 * 128)) conv=notrunc status=none # record 5: "2 Frames"
cp "$ini" "$work/before.INI"
# A drive of Wine's own, D:, whose folder goes once the drive list has read
# it: a drive without a medium.
bash "$wine_run" "$prefix" cmd.exe /c exit 0 >/dev/null 2>&1 || fail "no Wine prefix at $prefix"
bash "$wine_run" "$prefix" --stop # Wine reads its drives when its server starts
ln -sfn "$dvd" "$prefix/dosdevices/d:"

# ---- X server: the first free display from :70 to :79.
# shellcheck source=scripts/xvfb-lib.sh
source "$here/../../scripts/xvfb-lib.sh"
start_xvfb 70 79 "$work/xvfb.log" || fail "no X server could be started on :70 to :79"
display_number="${DISPLAY#:}"
say "X server on $DISPLAY, work folder $work"

colour_at() {
    import -window root -crop "1x1+$1+$2" +repage \
        -format '%[fx:int(255*p{0,0}.r+0.5)],%[fx:int(255*p{0,0}.g+0.5)],%[fx:int(255*p{0,0}.b+0.5)]' info:- 2>/dev/null
}
colour_is() { [ "$(colour_at "$1" "$2")" = "$3" ]; }
darkest_in() {
    import -window root -crop "$3x$4+$1+$2" +repage -colorspace Gray \
        -format '%[fx:int(255*minima.r+0.5)]' info:- 2>/dev/null
}
has_text() { [ "$(darkest_in "$@")" -lt 100 ]; }
click() { xdotool mousemove --sync "$1" "$2" click 1; }
tw() { echo $(($1 / 15)); } # twips to pixels
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
has_window() { [ -n "$(window_named "$1")" ]; }
has_no_window() { [ -z "$(window_named "$1")" ]; }
is_file() { [ -s "$1" ]; }

# ---- Start, in the player's folder.
(cd "$app" && WINE_DISPLAY="$DISPLAY" exec bash "$wine_run" "$prefix" ./lumora.exe) >"$work/lumora.out" 2>&1 &
lumora_pid=$!
wait_for "$wait_limit" "the main window" has_window Lumora
main="$(window_named Lumora)"
# The client area's top-left corner lies 930 and 1290 twips from the
# screen's edges; the menu bar is above it, inside the window.
read -r wx wy ww wh < <(xdotool getwindowgeometry --shell "$main" |
    awk -F= '$1 == "X" || $1 == "Y" || $1 == "WIDTH" || $1 == "HEIGHT" { printf "%s ", $2 }')
cx=$(tw 930) cy=$(tw 1290)
[ "$wx" -eq "$cx" ] && [ "$ww" -eq "$(tw 9945)" ] && [ "$wy" -lt "$cy" ] && [ $((wy + wh)) -eq $((cy + $(tw 6195))) ] ||
    fail "the window is at $wx,$wy ${ww}x$wh, not with its client area at $cx,$cy"
say "window at its place: client area at $cx,$cy"

# ---- The stored folder lists its games; the first, "GAME B.ZIP", is picked.
files_x=$((cx + $(tw 3360))) files_y=$((cy + $(tw 3840)))
wait_for "$wait_limit" "the stored folder's games" has_text "$((files_x + 4))" "$((files_y + 2))" 120 30
click $((files_x + 40)) $((files_y + 9))
wait_for "$wait_limit" "both screenshots" colour_is $((cx + $(tw 120) + 20)) $((cy + 20)) 255,0,0
wait_for "$wait_limit" "the second screenshot" colour_is $((cx + $(tw 5040) + 20)) $((cy + 20)) 0,0,255
import -window root "$artefacts/wine-window.png" && say "screenshot: $artefacts/wine-window.png"

# ---- Run Gravlok: the path quoted as one argument, the switch after it.
click $((cx + $(tw 6600) + 40)) $((cy + $(tw 5160) + 15))
wait_for "$wait_limit" "the emulator's start" is_file "$started"
sleep 0.5
expected_started="line=gravlok.exe \"$picked\"  -f1
arg0=gravlok.exe
arg1=$picked
arg2=-f1"
[ "$(cat "$started")" = "$expected_started" ] || fail "the emulator was started otherwise than expected:
$expected_started"
say "the emulator got: $(head -1 "$started")"

# ---- A drive without its medium: listed when the list opens, gone when
# chosen. Then Wine's C: drive.
drives_x=$((cx + $(tw 3360) + 100)) drives_y=$((cy + $(tw 3480) + 10))
click "$drives_x" "$drives_y"
sleep 1.5 # the opening reads the drives
rm -rf "$dvd"
xdotool type --delay 100 d && xdotool key Return
wait_for "$wait_limit" "the Drive Error! box" has_window Error
xdotool key Return
wait_for "$wait_limit" "the box to go" has_no_window Error
click "$drives_x" "$drives_y"
sleep 1.5
xdotool type --delay 100 c && xdotool key Return
sleep 2

# ---- Back on Wine's Z: drive, at the games, then down into the deep folder,
# the games folder's one sub-folder: the directory list opens its last entry.
click "$drives_x" "$drives_y"
sleep 1.5
xdotool type --delay 100 z && xdotool key Return
sleep 2
dirs_x=$((cx + $(tw 120))) dirs_y=$((cy + $(tw 3840)))
click $((dirs_x + 40)) $((dirs_y + 9))
xdotool key End Return
sleep 3
click $((files_x + 40)) $((files_y + 9))
wait_for "$wait_limit" "the deep game's screenshot" colour_is $((cx + $(tw 120) + 20)) $((cy + 20)) 0,255,0
rm -f "$started"
click $((cx + $(tw 6600) + 40)) $((cy + $(tw 5160) + 15))
wait_for "$wait_limit" "the emulator's start from the deep folder" is_file "$started"
sleep 0.5
short_game="$(sed -n 's/^arg1=//p' "$started")"
unix_of() { bash "$wine_run" "$prefix" winepath.exe -u "$1" 2>/dev/null | tr -d '\r'; }
[ "$(unix_of "$short_game")" = "$deep/$far_game" ] && ! printf '%s' "$short_game" | LC_ALL=C grep -q '[^ -~]' ||
    fail "the deep game reached the emulator as '$short_game', not as a short name of $deep/$far_game"
grep -qxF "line=gravlok.exe $short_game  -f1" "$started" || fail "the command line was: $(head -1 "$started")"
say "the deep game reached the emulator as $short_game"

# ---- Exit: the settings as the player left them.
click $((cx + $(tw 8040) + 40)) $((cy + $(tw 5160) + 15))
wait_for "$wait_limit" "lumora.exe to end" has_no_window Lumora
short_deep="$(dd if="$ini" bs=1 skip=$((2 * 128 + 2)) count=$(od -An -tu2 -j256 -N2 "$ini" | tr -d ' ') status=none)"
[ "$(unix_of "$short_deep")" = "$deep" ] ||
    fail "record 3 holds '$short_deep', not a short name of the deep folder"
expected="$work/expected.INI"
# Each value written over the file as it was; what follows a value in its
# slot stays.
perl -e 'my ($before, $one, $two, $three) = @ARGV;
         open(my $in, "<:raw", $before) or die; local $/; my $img = <$in>;
         my $put = sub { my ($n, $bytes) = @_; substr($img, ($n - 1) * 128, length $bytes) = $bytes };
         $put->($_->[0], pack("v", length $_->[1]) . $_->[1]) for ([1, $one], [2, $two], [3, $three]);
         $put->($_, pack("vv", 11, $_ == 5 ? 0xFFFF : 0)) for 4 .. 13;
         print $img;' "$work/before.INI" "$short_game" "$(winpath "$shots")" "$short_deep" >"$expected"
cmp "$ini" "$expected" || fail "Lumora.INI is not what Exit should have written: $(od -Ax -tx1 "$expected" | head -30)"
say "Exit wrote Lumora.INI byte for byte, the deep folder as $short_deep; passed"

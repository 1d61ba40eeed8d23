#!/usr/bin/env bash
# Drives the real lumora binary on its own X server, with no window manager,
# the way a user would: pick a game, run the emulator, change the settings,
# save them, leave, and start again in the same folder. A third start runs
# under strace: once its window shows, the GUI thread must leave the files
# and folders the program works with, and the mounts, to its workers.
#
# Usage: run_e2e.sh LUMORA_BINARY ARTEFACT_DIR
#
# Controls are clicked at their designed places (twips / 15 from a window's
# client origin). The emulator is a stand-in script first on the PATH that
# records its arguments; at the second start a wrapper of the kind that runs
# a Windows build through Wine takes its place. Screenshots land in
# ARTEFACT_DIR.
#
# Exit status: 0 passed, 1 failed, 77 a needed tool is missing (skipped).

set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
lumora_bin="${1:?usage: run_e2e.sh LUMORA_BINARY ARTEFACT_DIR}"
artefacts="${2:?usage: run_e2e.sh LUMORA_BINARY ARTEFACT_DIR}"

wait_limit="${LUMORA_E2E_WAIT:-20}"          # seconds for any one thing to happen
start_limit="${LUMORA_E2E_START_WAIT:-40}"   # a sanitizer build starts slowly
lifetime="${LUMORA_E2E_LIFETIME:-170}"       # nothing we start outlives this

for tool in Xvfb xdotool xwininfo import convert od dd timeout realpath perl; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "e2e: skipped: '$tool' is not installed (scripts/deps.sh lists the test packages)"
        exit 77
    fi
done
# Without a tracer the starts before the traced one still run; the test then
# ends as skipped rather than passed.
untraced=""
if ! command -v strace >/dev/null 2>&1; then
    untraced="'strace' is not installed (scripts/deps.sh lists the test packages)"
elif ! strace -f -o /dev/null true 2>/dev/null; then
    untraced="strace cannot trace here"
fi
if [ ! -x "$lumora_bin" ]; then
    echo "e2e: FAILED: '$lumora_bin' is not an executable" >&2
    exit 1
fi
lumora_bin="$(realpath "$lumora_bin")"
mkdir -p "$artefacts" || exit 1
artefacts="$(realpath "$artefacts")"
rm -f "$artefacts"/*.png "$artefacts"/*.log "$artefacts"/*.strace

# ---- Work area: a short canonical path, so that the stored paths fit their
# 126-byte records and compare equal to what the program shows.
work="$(mktemp -d "${TMPDIR:-/tmp}/lumora-e2e.XXXXXX")" || exit 1
work="$(realpath "$work")"
games="$work/games"
shots="$work/shots"
stand_in="$work/bin"
launch_log="$work/launch.log"
ini="$work/Lumora.INI"
trace="$work/lumora.strace"
picked_first="$games/ALPHA.ZIP"
picked="$games/My Game.zip"

xvfb_pid=""
lumora_pid=""
lumora_out=""
display_number=""

say() { echo "e2e: $*"; }

window_list() {
    [ -n "$display_number" ] || return 0
    echo "--- windows on :$display_number"
    local w
    for w in $(xdotool search --name '' 2>/dev/null); do
        local state
        state="$(xwininfo -id "$w" 2>/dev/null | sed -n 's/^ *Map State: //p')"
        printf '%s "%s" %s %s\n' "$w" "$(xdotool getwindowname "$w" 2>/dev/null)" "$state" \
            "$(xdotool getwindowgeometry "$w" 2>/dev/null | tr '\n' ' ')"
    done
}

fail() {
    echo "e2e: FAILED: $*" >&2
    {
        echo "--- stand-in emulator log ($launch_log)"
        cat "$launch_log" 2>/dev/null || echo "(none)"
        local out
        for out in "$work"/lumora-*.out; do
            [ -f "$out" ] || continue
            echo "--- output of $(basename "$out")"
            cat "$out"
        done
        echo "--- settings file"
        od -Ax -tx1 "$ini" 2>/dev/null | head -64 || echo "(none)"
        window_list
    } >&2
    if [ -n "$display_number" ] && import -window root "$artefacts/failure.png" 2>/dev/null; then
        echo "e2e: failure screenshot: $artefacts/failure.png" >&2
    fi
    cp "$launch_log" "$artefacts/launch.log" 2>/dev/null
    if cp "$trace" "$artefacts/lumora.strace" 2>/dev/null; then
        echo "e2e: system calls of the traced start: $artefacts/lumora.strace" >&2
    fi
    exit 1
}

# shellcheck source=tests/e2e/e2e_lib.sh
. "$here/e2e_lib.sh"

cleanup() {
    stop_pid "$lumora_pid"
    stop_pid "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'fail "interrupted"' INT TERM

# ---- The world the program starts in.
mkdir -p "$games/sub" "$shots" "$stand_in" "$work/home" "$work/runtime" || fail "cannot build the work area"
chmod 700 "$work/runtime"
# "beta.zip" in lower case sits between the other two only when the list is
# sorted without regard to case; "notes.txt" must stay out of "*.zip".
: >"$games/ALPHA.ZIP"
: >"$games/beta.zip"
: >"$picked"
: >"$games/notes.txt"
convert -size 300x200 xc:red "BMP3:$shots/My Game.zip1.bmp" || fail "cannot make a screenshot bitmap"
convert -size 300x200 xc:blue "BMP3:$shots/My Game.zip2.bmp" || fail "cannot make a screenshot bitmap"

cat >"$stand_in/gravlok.exe" <<EOF
#!/bin/sh
# Stand-in emulator: one line per argument, then a separator, in one write.
block=""
for argument in "\$@"; do
    block="\$block\$argument
"
done
printf '%s----\n' "\$block" >>'$launch_log'
EOF
chmod +x "$stand_in/gravlok.exe"

for path in "$picked" "$shots" "$games"; do
    [ "${#path}" -le 126 ] || fail "the work folder path is too long for a settings record: $path (set TMPDIR to a shorter folder)"
done

head -c 1920 /dev/zero >"$ini"
put_string_record 2 "$shots"
put_string_record 3 "$games"

# ---- X server: the first free display from :90 to :99. Xvfb writes the
# display number to -displayfd only once it serves it, so a server that lost
# the display to another run started at the same moment is never mistaken
# for ours. -noreset: a server that resets whenever its last client leaves
# refuses connections for a moment, and the checks here come and go.
for n in $(seq 90 99); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    ready_file="$work/xvfb-$n.ready"
    : >"$ready_file"
    timeout -k 5 "$lifetime" Xvfb ":$n" -nolisten tcp -screen 0 1024x768x24 -noreset -displayfd 3 \
        3>"$ready_file" >"$work/xvfb-$n.log" 2>&1 &
    xvfb_pid=$!
    deadline=$((SECONDS + 10))
    while kill -0 "$xvfb_pid" 2>/dev/null && [ ! -s "$ready_file" ] && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null && [ "$(tr -d '[:space:]' <"$ready_file")" = "$n" ] &&
        xwininfo -display ":$n" -root >/dev/null 2>&1; then
        display_number="$n"
        break
    fi
    stop_pid "$xvfb_pid" # taken meanwhile by another run, or broken: try the next
    xvfb_pid=""
done
[ -n "$display_number" ] || fail "no X server could be started on :90 to :99"
export DISPLAY=":$display_number"
unset XAUTHORITY WAYLAND_DISPLAY
say "X server on $DISPLAY, work folder $work"

# ---- Screen helpers.
# Number of distinct colours in a screen rectangle.
colours_in() { import -window root -crop "$3x$4+$1+$2" +repage -format '%k' info:- 2>/dev/null; }
# "r,g,b" of one screen pixel.
colour_at() {
    import -window root -crop "1x1+$1+$2" +repage \
        -format '%[fx:int(255*p{0,0}.r+0.5)],%[fx:int(255*p{0,0}.g+0.5)],%[fx:int(255*p{0,0}.b+0.5)]' info:- 2>/dev/null
}
# Darkest grey level (0..255) of a screen rectangle.
darkest_in() {
    import -window root -crop "$3x$4+$1+$2" +repage -colorspace Gray \
        -format '%[fx:int(255*minima.r+0.5)]' info:- 2>/dev/null
}
colour_is() { [ "$(colour_at "$1" "$2")" = "$3" ]; }
click() { xdotool mousemove --sync "$1" "$2" click 1; }
tw() { echo $(($1 / 15)); } # twips to pixels

# "x y width height" of a window.
window_geometry() {
    xdotool getwindowgeometry --shell "$1" 2>/dev/null |
        awk -F= '$1 == "X" || $1 == "Y" || $1 == "WIDTH" || $1 == "HEIGHT" { printf "%s ", $2 } END { print "" }'
}
visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
window_shown() { [ -n "$(visible_window "$1")" ]; }
window_hidden() { [ -z "$(visible_window "$1")" ]; }

# ---- The program.
# start_lumora TAG [TRACER...]: starts it in the work folder, under TRACER
# when one is given.
start_lumora() {
    local tag="$1"
    shift
    lumora_out="$work/lumora-$tag.out"
    local asan lsan
    gui_sanitizer_options
    # The leak check stops the threads through ptrace, which the tracer holds.
    [ $# -eq 0 ] || asan="${asan:+$asan:}detect_leaks=0"
    (
        cd "$work" || exit 1
        exec env -u QT_QPA_PLATFORM -u QT_QPA_PLATFORMTHEME \
            QT_QPA_PLATFORM=xcb HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
            XDG_CONFIG_HOME="$work/home/.config" LANG=C.UTF-8 LC_ALL=C.UTF-8 ${asan:+ASAN_OPTIONS="$asan"} LSAN_OPTIONS="$lsan" \
            PATH="$stand_in:$PATH" timeout -k 5 "$lifetime" "$@" "$lumora_bin"
    ) >"$lumora_out" 2>&1 &
    lumora_pid=$!
}

lumora_ended() { ! kill -0 "$lumora_pid" 2>/dev/null; }

# gui_thread_calls TRACE SINCE: the calls in TRACE (strace -f -ttt -y, the
# program first) that its first thread, the GUI thread, made after SINCE on a
# file or folder of the test's own, a mount point or a mount table, each with
# the line that finishes it when it was interrupted. A name is taken in the
# folder of the descriptor before it, as the *at calls take it, else in the
# work folder, where the program starts; a descriptor alone stands for what it
# has open.
gui_thread_calls() {
    # shellcheck disable=SC2016 # Perl's own variables
    perl -e '
        my ($since, $work) = splice @ARGV, 0, 2;
        my %mount;
        open my $table, "<", "/proc/self/mountinfo" or die "mountinfo: $!\n";
        while (<$table>) {
            (my $point = (split " ")[4]) =~ s/\\([0-7]{3})/chr oct $1/ge;
            $mount{$point} = 1;
        }
        sub clean {
            my @parts;
            for (split m{/+}, shift) {
                next if $_ eq "" || $_ eq ".";
                if ($_ eq "..") { pop @parts } else { push @parts, $_ }
            }
            return "/" . join "/", @parts;
        }
        sub watched {
            my $path = clean(shift);
            return $path eq $work || index($path, "$work/") == 0 || $mount{$path} ||
                $path =~ m{^/proc/(self|\d+)/mount(info|s)$|^/proc/mounts$|^/etc/mtab$};
        }
        my ($main, $pending);
        while (my $line = <>) {
            my ($pid, $time, $rest) = $line =~ /^(\d+) +([\d.]+) +(.*)/ or next;
            $main //= $pid;
            next if $pid != $main;
            if ($rest =~ /^<\.\.\. \w+ resumed>/) {
                print $line if $pending;
                $pending = 0;
                next;
            }
            next if $time <= $since;
            my ($call, $args) = $rest =~ /^(\w+)\((.*)/ or next;
            my @paths;
            if ($call =~ /^p(read|write)/) {
                @paths = $args =~ /^\d+<([^>]*)>/; # the rest is data
            } else {
                while ($args =~ /(AT_FDCWD|\d+)<([^>]*)>(?:, "([^"]*)")?|"([^"]*)"/g) {
                    my ($fd, $folder, $name, $alone) = ($1, $2, $3, $4);
                    if (defined $alone) { push @paths, $alone =~ m{^/} ? $alone : "$work/$alone" }
                    elsif (!defined $name) { push @paths, $folder if $fd ne "AT_FDCWD" }
                    else { push @paths, $name eq "" ? $folder : $name =~ m{^/} ? $name : "$folder/$name" }
                }
            }
            next unless grep { watched($_) } @paths;
            print $line;
            $pending = $line =~ /<unfinished \.\.\.>$/;
        }
    ' "$2" "$work" "$1"
}

# Waits for the program to end and checks that it ended well.
expect_clean_end() {
    local deadline=$((SECONDS + wait_limit))
    while ! lumora_ended; do
        [ "$SECONDS" -lt "$deadline" ] || fail "lumora did not end within ${wait_limit}s of Exit"
        sleep 0.1
    done
    local status=0
    wait "$lumora_pid" || status=$?
    lumora_pid=""
    [ "$status" -eq 0 ] || fail "lumora ended with status $status"
}

# Main window: wait for it, then find its client origin. The client area is
# the window less the menu bar above it; it is 6195 twips high. shown_at is
# when it was first seen on the screen, in seconds since the epoch.
main_x=0 main_y=0 menu_h=0 shown_at=""
find_main_window() {
    wait_for "$start_limit" "the Lumora window" window_shown '^Lumora$'
    shown_at="$(date +%s.%N)"
    local x y height
    read -r x y _ height < <(window_geometry "$(visible_window '^Lumora$')")
    [ -n "$height" ] || fail "cannot read the main window's geometry"
    main_x=$x
    menu_h=$((height - $(tw 6195)))
    main_y=$((y + menu_h))
    if [ "$main_x" -ne 62 ] || [ "$main_y" -ne 86 ]; then
        fail "the main window's client area is at ($main_x, $main_y), not at (62, 86)"
    fi
    [ "$menu_h" -gt 0 ] || fail "the main window has no menu bar above its client area"
    # The file list is drawn once it shows its entries.
    wait_for "$wait_limit" "the file list's entries" list_drawn
}
list_drawn() { [ "$(colours_in $((main_x + $(tw 3360) + 4)) $((main_y + $(tw 3840) + 4)) 80 30)" -gt 2 ]; }
# Entries below the file list's first row (rows are about 13 pixels high).
rows_after_first_drawn() { [ "$(colours_in $((main_x + $(tw 3360) + 4)) $((main_y + $(tw 3840) + 24)) 80 36)" -gt 2 ]; }
main_at() { click $((main_x + $(tw "$1"))) $((main_y + $(tw "$2"))); }
press_run() { main_at $((6600 + 1335 / 2)) $((5160 + 495 / 2)); }
press_exit() { main_at $((8040 + 1335 / 2)) $((5160 + 495 / 2)); }
choose_settings_menu() { click $((main_x + 25)) $((main_y - menu_h / 2)); }

# The text panel of the status bar, inside its borders.
panel_colours() { colours_in $((main_x + 4)) $((main_y + $(tw 5820) + 4)) 380 $(($(tw 375) - 8)); }
# Text in the panel: more colours than it had empty at the first start.
blank_panel=""
panel_filled() {
    local now
    now="$(panel_colours)"
    [ -n "$now" ] && [ "$now" -gt "$blank_panel" ]
}

# The previews: one pixel well inside each picture box.
picture1_is() { colour_is $((main_x + $(tw 120) + 40)) $((main_y + 40)) "$1"; }
picture2_is() { colour_is $((main_x + $(tw 5040) + 40)) $((main_y + 40)) "$1"; }
previews_shown() { picture1_is 255,0,0 && picture2_is 0,0,255; }
beta_previews_shown() { picture1_is 0,255,0 && picture2_is 255,255,0; }

# Settings window: placed by the platform; without a window manager it has
# no frame, so its client origin is its own position.
set_x=0 set_y=0
open_settings() {
    choose_settings_menu
    wait_for "$wait_limit" "the Settings window" window_shown '^Settings$'
    local height
    read -r set_x set_y _ height < <(window_geometry "$(visible_window '^Settings$')")
    [ -n "$height" ] || fail "cannot read the Settings window's geometry"
    wait_for "$wait_limit" "the Settings window to be drawn" settings_drawn
}
settings_drawn() { [ "$(colours_in $((set_x + $(tw 3960))) $((set_y + $(tw 2880))) "$(tw 1575)" "$(tw 375)")" -gt 2 ]; }
settings_at() { click $((set_x + $(tw "$1"))) $((set_y + $(tw "$2"))); }
# Option buttons and check boxes are clicked on their indicator, at the left.
frame1_option() { settings_at $((120 + 120 + 105)) $((120 + $1 + 97)); }
frame2_option() { settings_at $((1920 + 120 + 105)) $((120 + $1 + 97)); }
check_box() { settings_at $((120 + 105)) $(($1 + 97)); }

# How dark the middle of an indicator is: an option's dot or a box's tick.
indicator_darkness() { darkest_in $((set_x + $(tw "$1") + 4)) $((set_y + $(tw "$2") + 3)) 5 5; }
expect_marked() {
    local name="$1" on_left="$2" on_top="$3" off_name="$4" off_left="$5" off_top="$6"
    local on off
    on="$(indicator_darkness "$on_left" "$on_top")"
    off="$(indicator_darkness "$off_left" "$off_top")"
    if [ -z "$on" ] || [ -z "$off" ]; then
        fail "cannot read the indicators of $name and $off_name"
    fi
    if [ "$on" -ge 110 ] || [ "$off" -le 180 ]; then
        fail "$name should be marked and $off_name not (darkest grey $on and $off)"
    fi
}

# ---- Settings file checks.
byte_hex() { od -An -tx1 -j "$1" -N "$2" "$ini" | tr -d ' \n'; }
record_string() {
    local offset=$((($1 - 1) * 128))
    local b0 b1
    read -r b0 b1 < <(od -An -tu1 -j "$offset" -N 2 "$ini")
    dd if="$ini" bs=1 skip=$((offset + 2)) count=$((b0 + 256 * b1)) status=none
}
expect_record_string() {
    local got
    got="$(record_string "$1")"
    [ "$got" = "$2" ] || fail "record $1 holds '$got', expected '$2'"
}
# The whole file after the choices made here: 2 Frames, Mode x, Vsync.
expect_saved_settings() {
    local size
    size="$(stat -c %s "$ini")"
    [ "$size" -eq 1920 ] || fail "the settings file is $size bytes long, expected 1920"
    expect_record_string 1 "$1"
    expect_record_string 2 "$shots"
    expect_record_string 3 "$games"
    local slot want
    for slot in 4 5 6 7 8 9 10 11 12 13; do
        want="0b000000"
        { [ "$slot" -eq 5 ] || [ "$slot" -eq 13 ]; } && want="0b00ffff"
        [ "$(byte_hex $(((slot - 1) * 128)) 4)" = "$want" ] ||
            fail "record $slot begins $(byte_hex $(((slot - 1) * 128)) 4), expected $want"
    done
    [ "$(byte_hex $((13 * 128)) 2)" = "0000" ] || fail "record 14 (Skip Code Analyse) is $(byte_hex $((13 * 128)) 2), expected 0000"
    [ "$(byte_hex $((14 * 128)) 2)" = "0100" ] || fail "record 15 (Enable Vsync) is $(byte_hex $((14 * 128)) 2), expected 0100"
}

# ---- Launch log checks.
launches() { grep -c '^----$' "$launch_log" 2>/dev/null || true; }
launched() { [ "$(launches)" -ge "$1" ]; }
expect_launch() {
    local count="$1" expected="$2"
    wait_for "$wait_limit" "launch number $count of the stand-in emulator" launched "$count"
    local block
    block="$(awk -v want="$count" '/^----$/ { n++; next } n == want - 1 { print }' "$launch_log")"
    [ "$block" = "$expected" ] || fail "launch $count got arguments
$block
expected
$expected"
    [ "$(launches)" -eq "$count" ] || fail "the emulator was started more than once"
}

# ==== First start ====
say "first start"
start_lumora first
find_main_window
blank_panel="$(panel_colours)"
[ -n "$blank_panel" ] || fail "cannot read the status bar"

# Click the first row of the file list: ALPHA.ZIP, no screenshots.
main_at $((3360 + 300)) $((3840 + 120))
wait_for "$wait_limit" "the picked path in the status bar" panel_filled
press_run
expect_launch 1 "$picked_first"

# End moves to the last entry; with the list sorted regardless of case that
# is "My Game.zip", whose screenshots then fill both previews.
main_at $((3360 + 300)) $((3840 + 120))
xdotool key End
wait_for "$wait_limit" "the screenshots of My Game.zip in both previews" previews_shown
press_run
expect_launch 2 "$picked"

say "settings: 2 Frames, Mode x, Enable Vsync"
open_settings
frame1_option 600   # optSkip2
frame2_option 1560  # optModex
check_box 1680      # chkVsync
settings_at $((3960 + 1575 / 2)) $((2880 + 375 / 2)) # cmdClose
wait_for "$wait_limit" "the Settings window to close" window_hidden '^Settings$'
expect_saved_settings "$picked"

press_run
expect_launch 3 "$picked
-f1
-modex
-v"

open_settings
import -window root "$artefacts/both-windows.png" || fail "cannot take the screenshot"
say "screenshot: $artefacts/both-windows.png"

press_exit
expect_clean_end
expect_saved_settings "$picked"

# ==== Second start in the same folder ====
# gravlok.exe on the PATH is now the two-line wrapper that runs a Windows
# build through Wine, with sh in Wine's place: the stand-in is no program of
# its own any more, in a folder with a blank like Windows programs have. The
# game path must still arrive as one argument and each switch as its own.
windows_program="$work/Program Files/Gravlok/gravlok.exe"
mkdir -p "$(dirname "$windows_program")" || fail "cannot make the wrapped program's folder"
mv "$stand_in/gravlok.exe" "$windows_program" || fail "cannot move the stand-in"
chmod -x "$windows_program" || fail "cannot take the stand-in's execute bits"
printf '#!/bin/sh\nexec sh %s "$@"\n' "'$windows_program'" >"$stand_in/gravlok.exe" || fail "cannot write the wrapper"
chmod +x "$stand_in/gravlok.exe" || fail "cannot write the wrapper"
say "second start, the emulator through a wrapper"
start_lumora second
find_main_window
# The stored path is back in the status bar and its screenshots in the previews.
wait_for "$wait_limit" "the stored path in the status bar" panel_filled
wait_for "$wait_limit" "the stored game's screenshots in both previews" previews_shown
expect_record_string 1 "$picked"

open_settings
expect_marked "2 Frames" $((120 + 120)) $((120 + 600)) "1 Frame" $((120 + 120)) $((120 + 360))
expect_marked "Mode x" $((1920 + 120)) $((120 + 1560)) "VGA Resolution" $((1920 + 120)) $((120 + 1320))
expect_marked "Enable Vsync" 120 1680 "Skip Code Analyse" 120 1920
import -window root "$artefacts/second-start.png" || fail "cannot take the screenshot"
say "screenshot: $artefacts/second-start.png"

press_run
expect_launch 4 "$picked
-f1
-modex
-v"

press_exit
expect_clean_end
expect_saved_settings "$picked"

if [ -n "$untraced" ]; then
    cp "$launch_log" "$artefacts/launch.log"
    say "skipped the traced start: $untraced"
    exit 77
fi

# ==== Third start, traced ====
# Once the main window shows, the GUI thread leaves the file system to the
# workers: a folder, a drive, a screenshot or the settings file on a mount
# that hangs must not freeze the window. Started from a stored folder, the
# program opens another, picks a game, runs it and ends; strace records the
# file calls of every thread.
say "third start, traced"
: >"$games/sub/Deep.zip"
convert -size 300x200 xc:lime "BMP3:$shots/beta.zip1.bmp" || fail "cannot make a screenshot bitmap"
convert -size 300x200 xc:yellow "BMP3:$shots/beta.zip2.bmp" || fail "cannot make a screenshot bitmap"
put_string_record 3 "$games/sub"
file_calls="open,openat,openat2,creat,%stat,%lstat,%fstat,%statfs,%fstatfs,getdents,getdents64,access,faccessat"
file_calls="$file_calls,faccessat2,rename,renameat,renameat2,fsync,fdatasync,readlink,readlinkat,unlink,unlinkat"
file_calls="$file_calls,rmdir,mkdir,mkdirat,truncate,ftruncate,pread64,pwrite64,preadv,pwritev,preadv2,pwritev2"
file_calls="$file_calls,chdir,fchdir,execve"
start_lumora traced strace -f --seccomp-bpf -qq -ttt -y -s 4096 -e trace="$file_calls" \
    -o "$trace"
find_main_window
# The folder list holds the chain from the root down to the stored folder,
# "sub", at its end; above it is "games", whose three games then fill the
# file list below its first row.
main_at $((120 + 300)) $((3840 + 120))
xdotool key End Up Return
wait_for "$wait_limit" "the files of the games folder" rows_after_first_drawn
main_at $((3360 + 300)) $((3840 + 120))
xdotool key Down
wait_for "$wait_limit" "the screenshots of beta.zip in both previews" beta_previews_shown
press_run
expect_launch 5 "$games/beta.zip
-f1
-modex
-v"
press_exit
expect_clean_end
expect_record_string 1 "$games/beta.zip"
expect_record_string 3 "$games"
calls="$(gui_thread_calls "$trace" "$shown_at")" || fail "cannot read the system calls in $trace"
[ -z "$calls" ] || fail "the GUI thread made these calls after the window showed:
$calls"

cp "$launch_log" "$artefacts/launch.log"
say "passed"

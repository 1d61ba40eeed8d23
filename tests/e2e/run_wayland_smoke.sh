#!/usr/bin/env bash
# Starts the real lumora binary on a Wayland desktop of its own: Weston's
# headless backend with Xwayland, nothing of the machine's own session. It
# starts three times in the same folder, whose Lumora.INI already holds a
# picked game, with no platform named:
#  - with Xwayland's DISPLAY there as well, as on a user's Wayland desktop:
#    the windows go to the X server, and the main window asks it for its
#    designed place;
#  - on Wayland alone (no DISPLAY), and with a DISPLAY where no X server is:
#    the windows go to Wayland.
# Each time the stored game is run and Exit pressed. A Wayland client cannot
# be sent input from outside (and a headless compositor has no devices), so
# both buttons are pressed through the accessibility interface, over a
# session bus of the test's own.
#
# Usage: run_wayland_smoke.sh LUMORA_BINARY ARTEFACT_DIR
#
# A screenshot of the compositor's screen lands in ARTEFACT_DIR.
#
# Exit status: 0 passed, 1 failed, 77 a needed tool is missing (skipped).

set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
lumora_bin="${1:?usage: run_wayland_smoke.sh LUMORA_BINARY ARTEFACT_DIR}"
artefacts="${2:?usage: run_wayland_smoke.sh LUMORA_BINARY ARTEFACT_DIR}"

wait_limit="${LUMORA_E2E_WAIT:-20}"          # seconds for any one thing to happen
start_limit="${LUMORA_E2E_START_WAIT:-40}"   # a sanitizer build starts slowly
lifetime="${LUMORA_E2E_LIFETIME:-110}"       # nothing we start outlives this

say() { echo "wayland-smoke: [$SECONDS s] $*"; }
skip() {
    say "skipped: $* (scripts/deps.sh lists the test packages)"
    exit 77
}

for tool in weston Xwayland xdotool xwininfo xprop dbus-daemon pgrep timeout realpath stat dd; do
    command -v "$tool" >/dev/null 2>&1 || skip "'$tool' is not installed"
done
python=""
for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import dbus' >/dev/null 2>&1; then
        python="$candidate"
        break
    fi
done
[ -n "$python" ] || skip "no python3 with the dbus module (python3-dbus)"
grep -qs '^Name=org.a11y.Bus$' /usr/share/dbus-1/services/*.service ||
    skip "the accessibility bus (at-spi2-core) is not installed"
if command -v qtpaths6 >/dev/null 2>&1; then
    plugins="$(qtpaths6 --plugin-dir 2>/dev/null)"
    [ -z "$plugins" ] || [ -e "$plugins/platforms/libqwayland-generic.so" ] ||
        skip "Qt's Wayland platform plugin (qt6-wayland) is not installed"
fi
if [ ! -x "$lumora_bin" ]; then
    echo "wayland-smoke: FAILED: '$lumora_bin' is not an executable" >&2
    exit 1
fi
lumora_bin="$(realpath "$lumora_bin")"
mkdir -p "$artefacts" || exit 1
artefacts="$(realpath "$artefacts")"
rm -f "$artefacts"/*.png

work="$(mktemp -d "${TMPDIR:-/tmp}/lumora-wl.XXXXXX")" || exit 1
work="$(realpath "$work")"
runtime="$work/runtime"
games="$work/games"
stand_in="$work/bin"
launch_log="$work/launch.log"
ini="$work/Lumora.INI"
picked="$games/My Game.zip"
socket="wayland-lumora"

weston_pid=""
bus_pid=""
lumora_pid=""
x_display=""

fail() {
    echo "wayland-smoke: FAILED: $*" >&2
    {
        echo "--- stand-in emulator log"
        cat "$launch_log" 2>/dev/null || echo "(none)"
        local out
        for out in "$work"/lumora-*.out "$work"/weston.log; do
            [ -f "$out" ] || continue
            echo "--- $(basename "$out")"
            tail -n 60 "$out"
        done
        if [ -n "$lumora_pid" ] && kill -0 "$lumora_pid" 2>/dev/null; then
            echo "--- Lumora's accessible tree"
            a11y tree 2>&1
        fi
    } >&2
    exit 1
}

# shellcheck source=tests/e2e/e2e_lib.sh
. "$here/e2e_lib.sh"

# Whatever still runs with this test's runtime folder: the session bus
# starts the accessibility bus and its registry detached from us.
leftovers() {
    grep -lszxF "XDG_RUNTIME_DIR=$runtime" /proc/[0-9]*/environ | sed -n 's|^/proc/\([0-9]*\)/environ$|\1|p'
}

cleanup() {
    stop_pid "$lumora_pid"
    stop_pid "$bus_pid" # the accessibility bus and registry end with it
    stop_pid "$weston_pid"
    local _ pids
    for _ in $(seq 1 30); do
        pids="$(leftovers)"
        [ -n "$pids" ] || break
        sleep 0.1
    done
    # shellcheck disable=SC2086 # one id a word
    [ -z "$pids" ] || kill -9 $pids 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'fail "interrupted"' INT TERM

# Only what this test starts: no display, home folder, runtime folder or
# session bus of the machine's.
isolation=(-u DISPLAY -u WAYLAND_DISPLAY -u XAUTHORITY -u DBUS_SESSION_BUS_ADDRESS
           -u QT_QPA_PLATFORM -u QT_QPA_PLATFORMTHEME -u XDG_SESSION_TYPE -u XDG_CURRENT_DESKTOP
           HOME="$work/home" XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$work/home/.config"
           XDG_CACHE_HOME="$work/home/.cache" XDG_DATA_HOME="$work/home/.local/share")
isolated() { env "${isolation[@]}" "$@"; }

# ---- The folder Lumora starts in: its settings hold the picked game (record
# 1) and the browsed folder (3).
mkdir -p "$games" "$stand_in" "$work/home" "$runtime" || fail "cannot build the work area"
chmod 700 "$runtime"
: >"$picked"
cat >"$stand_in/gravlok.exe" <<EOF
#!/bin/sh
# Stand-in emulator: one line per argument, whether a platform was named to
# it, then a separator, in one write.
block=""
for argument in "\$@"; do
    block="\$block\$argument
"
done
printf '%sQT_QPA_PLATFORM %s\n----\n' "\$block" "\${QT_QPA_PLATFORM-unset}" >>'$launch_log'
EOF
chmod +x "$stand_in/gravlok.exe"
head -c 1920 /dev/zero >"$ini"
put_string_record 1 "$picked"
put_string_record 3 "$games"

# ---- The compositor, rendering into memory; --debug lets
# weston-screenshooter take a picture of it.
env "${isolation[@]}" timeout -k 5 "$lifetime" weston --backend=headless-backend.so --socket="$socket" --xwayland \
    --no-config --width=1024 --height=768 --use-pixman --debug --log="$work/weston.log" \
    >"$work/weston.out" 2>&1 &
weston_pid=$!
weston_up() {
    kill -0 "$weston_pid" 2>/dev/null || fail "weston ended at start-up"
    [ -S "$runtime/$socket" ]
}
wait_for "$wait_limit" "weston's socket" weston_up
# Weston's Xwayland module claims an X display at once and starts the server
# when the first X client connects.
x_display_claimed() {
    x_display="$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -1)"
    [ -n "$x_display" ]
}
wait_for "$wait_limit" "weston's X display" x_display_claimed

# ---- A session bus for the accessibility interface.
env "${isolation[@]}" timeout -k 5 "$lifetime" dbus-daemon --session --nofork --print-address=3 \
    3>"$work/bus.address" >"$work/bus.out" 2>&1 &
bus_pid=$!
bus_up() {
    kill -0 "$bus_pid" 2>/dev/null || fail "the session bus ended at start-up"
    [ -s "$work/bus.address" ]
}
wait_for "$wait_limit" "the session bus" bus_up
bus_address="$(head -1 "$work/bus.address")"
a11y() { isolated DBUS_SESSION_BUS_ADDRESS="$bus_address" timeout -k 2 20 "$python" "$here/lumora_a11y.py" "$@"; }

# ---- The program, with no platform named: DISPLAY and WAYLAND_DISPLAY as
# given.
start_lumora() {
    local tag="$1"
    shift
    local asan lsan
    gui_sanitizer_options
    (
        cd "$work" || exit 1
        exec env "${isolation[@]}" "$@" DBUS_SESSION_BUS_ADDRESS="$bus_address" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
            LANG=C.UTF-8 LC_ALL=C.UTF-8 ${asan:+ASAN_OPTIONS="$asan"} LSAN_OPTIONS="$lsan" \
            PATH="$stand_in:$PATH" timeout -k 5 "$lifetime" "$lumora_bin"
    ) >"$work/lumora-$tag.out" 2>&1 &
    lumora_pid=$!
}

# The Qt platform plugins mapped into the program itself (below timeout).
platform_plugins() {
    local pid
    pid="$(pgrep -P "$lumora_pid" | head -1)"
    [ -n "$pid" ] && grep -o 'libq\(xcb\|wayland-generic\)\.so' "/proc/$pid/maps" 2>/dev/null | sort -u | tr '\n' ' '
}

shown() { a11y shown; }
stored_pick_shown() { a11y labels | grep -xF "$picked" >/dev/null; }
launches() {
    local n
    n="$(grep -c '^----$' "$launch_log" 2>/dev/null)"
    echo "${n:-0}"
}
launched() { [ "$(launches)" -ge "$1" ]; }

# Runs the stored game and checks what the stand-in got; then Exit.
run_and_exit() {
    local count="$1"
    wait_for "$wait_limit" "the stored game in the status bar" stored_pick_shown
    a11y press "Run Gravlok" || fail "cannot press Run Gravlok"
    wait_for "$wait_limit" "launch number $count of the stand-in emulator" launched "$count"
    local block
    block="$(awk -v want="$count" '/^----$/ { n++; next } n == want - 1 { print }' "$launch_log")"
    [ "$block" = "$picked
QT_QPA_PLATFORM unset" ] || fail "launch $count got
$block"
    a11y press Exit || fail "cannot press Exit"
    local deadline=$((SECONDS + wait_limit))
    while kill -0 "$lumora_pid" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || fail "lumora did not end within ${wait_limit}s of Exit"
        sleep 0.1
    done
    local status=0
    wait "$lumora_pid" || status=$?
    lumora_pid=""
    [ "$status" -eq 0 ] || fail "lumora ended with status $status"
    [ "$(launches)" -eq "$count" ] || fail "the emulator was started more than once"
    [ "$(stat -c %s "$ini")" -eq 1920 ] || fail "the settings file is no longer 1920 bytes long"
}

# ==== A Wayland desktop with Xwayland ====
say "Wayland with Xwayland on $x_display"
start_lumora xwayland DISPLAY="$x_display" WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland
main_window=""
main_window_mapped() {
    main_window="$(DISPLAY="$x_display" xdotool search --onlyvisible --name '^Lumora$' 2>/dev/null | head -1)"
    [ -n "$main_window" ]
}
wait_for "$start_limit" "the Lumora window on Xwayland" main_window_mapped
[ "$(platform_plugins)" = "libqxcb.so " ] || fail "Qt platform plugins loaded: $(platform_plugins)"
# The window holds the menu bar above the 413 pixels of the client area. It
# asks for its client area at the designed place, with static gravity so that
# a window manager's frame goes round it. Where it then lands is the window
# manager's say: Weston's ignores the gravity and puts its frame's corner
# there instead, so the place it got is only reported.
height="$(DISPLAY="$x_display" xwininfo -id "$main_window" | sed -n 's/^ *Height: //p')"
menu=$((height - 413))
[ "$menu" -gt 0 ] || fail "the main window ($height pixels high) has no menu bar"
hints="$(DISPLAY="$x_display" xprop -id "$main_window" WM_NORMAL_HINTS)"
if ! grep -qx "[[:space:]]*user specified location: 62, $((86 - menu))" <<<"$hints" ||
    ! grep -qx '[[:space:]]*window gravity: Static' <<<"$hints"; then
    fail "the main window asks for another place than its client area at (62, 86):
$hints"
fi
read -r placed_x placed_y < <(DISPLAY="$x_display" xwininfo -id "$main_window" |
    awk -F: '/Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 } END { print x + 0, y + 0 }')
say "client area asked for at (62, 86), placed by Weston at ($placed_x, $((placed_y + menu)))"
wait_for "$wait_limit" "the main window in the accessible tree" shown
run_and_exit 1

# ==== Wayland alone ====
# Twice: with no X server at all, and with one named that is not there.
wayland_alone() {
    local count="$1"
    wait_for "$start_limit" "the Lumora window on Wayland" shown
    # (Qt keeps the X11 plugin loaded after it failed to connect.)
    [[ "$(platform_plugins)" == *libqwayland-generic.so* ]] || fail "Qt platform plugins loaded: $(platform_plugins)"
    run_and_exit "$count"
}
say "Wayland alone"
start_lumora wayland WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland
wait_for "$start_limit" "the Lumora window on Wayland" shown
wait_for "$wait_limit" "the stored game in the status bar" stored_pick_shown
# A picture of the compositor's screen, for a person to look at.
if (cd "$work" && isolated WAYLAND_DISPLAY="$socket" timeout -k 2 10 weston-screenshooter >/dev/null 2>&1); then
    mv "$work"/wayland-screenshot-*.png "$artefacts/wayland.png" 2>/dev/null &&
        say "screenshot: $artefacts/wayland.png"
fi
wayland_alone 2

gone=900
while [ -e "/tmp/.X$gone-lock" ] || [ -e "/tmp/.X11-unix/X$gone" ]; do gone=$((gone + 1)); done
say "Wayland, with DISPLAY=:$gone where no X server is"
start_lumora missing-x DISPLAY=":$gone" WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland
wayland_alone 3
say "passed"

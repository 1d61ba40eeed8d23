#!/usr/bin/env bash
# CPU share of the real program while both windows sparkle: starts lumora in
# a scratch folder, lets it settle, then reads utime+stime from /proc over a
# measured interval.
#
#   bench/cpu_share.sh [offscreen|xvfb|xvfb-settings] [seconds]
#
# xvfb runs it on a private Xvfb display; xvfb-settings also clicks the
# "Settings" menu item so that the settings window is shown and sparkles on
# screen too. LUMORA_BIN picks the binary (default: the checkout's
# build/bench/launcher/lumora).
set -euo pipefail
mode="${1:-offscreen}"
seconds="${2:-10}"
bin="${LUMORA_BIN:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/bench/launcher/lumora}"
[ -x "$bin" ] || { echo "cpu_share: no program at $bin (set LUMORA_BIN)" >&2; exit 2; }

scratch="$(mktemp -d)"
app_pid=""
xvfb_pid=""
# Every step may fail without stopping the rest: a killed process's wait
# status is never zero.
stop() {
    if [ -n "$1" ]; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}
cleanup() {
    stop "$app_pid"
    stop "$xvfb_pid"
    rm -rf "$scratch"
}
trap cleanup EXIT

# utime + stime of a process, in clock ticks (the name field may hold spaces).
ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }

case "$mode" in
offscreen)
    export QT_QPA_PLATFORM=offscreen
    ;;
xvfb | xvfb-settings)
    display=""
    for n in $(seq 91 99); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            display=":$n"
            break
        fi
    done
    [ -n "$display" ] || { echo "cpu_share: no free display in :91-:99" >&2; exit 2; }
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY="$display" QT_QPA_PLATFORM=xcb
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && break
        sleep 0.1
    done
    ;;
*)
    echo "cpu_share: unknown mode $mode" >&2
    exit 2
    ;;
esac

cd "$scratch"
"$bin" >/dev/null 2>&1 &
app_pid=$!
sleep 3 # start-up is not part of the figure

if [ "$mode" = xvfb-settings ]; then
    # No window manager: the main window's client area starts at (62, 86) on
    # the screen and the menu bar lies just above it; its only item comes first.
    xdotool mousemove 82 76 click 1
    sleep 1
    if ! xdotool search --onlyvisible --name '^Settings$' >/dev/null; then
        echo "cpu_share: the settings window did not appear" >&2
        exit 1
    fi
fi

hz="$(getconf CLK_TCK)"
t0="$(date +%s.%N)"
c0="$(ticks "$app_pid")"
x0="$([ -n "$xvfb_pid" ] && ticks "$xvfb_pid" || echo 0)"
sleep "$seconds"
c1="$(ticks "$app_pid")"
x1="$([ -n "$xvfb_pid" ] && ticks "$xvfb_pid" || echo 0)"
t1="$(date +%s.%N)"
# The X server's drawing is reported apart: it is not the program's own time.
awk -v c="$((c1 - c0))" -v x="$((x1 - x0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" -v m="$mode" -v xs="$xvfb_pid" \
    'BEGIN { s = c / hz; w = t1 - t0; printf "%s: lumora %.2f s CPU in %.2f s = %.2f%% of one core", m, s, w, 100 * s / w
             if (xs != "") printf "; Xvfb %.2f%%", 100 * x / hz / w
             printf "\n" }'

# shellcheck shell=bash
# Starts an X server of the scripts' own, for those that show windows.
# Sourced; start_xvfb FIRST LAST [LOG] takes the first free display from
# :FIRST to :LAST, exports DISPLAY, sets xvfb_pid and returns 0 once the
# server answers; 1 when none could be started.
start_xvfb() {
    local first="$1" last="$2" log="${3:-/dev/null}" n
    xvfb_pid=""
    for n in $(seq "$first" "$last"); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -nolisten tcp -screen 0 1280x1024x24 -noreset >"$log" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do
            xwininfo -display ":$n" -root >/dev/null 2>&1 && break
            sleep 0.1
        done
        if xwininfo -display ":$n" -root >/dev/null 2>&1; then
            export DISPLAY=":$n"
            return 0
        fi
        kill "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    done
    return 1
}

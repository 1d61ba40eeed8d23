# shellcheck shell=bash
# Shell helpers the end-to-end checks share. Source it after defining
# fail (prints why and exits) and lumora_pid (empty until Lumora starts).

# Asks PID to end, gives it 3 s, then kills it.
stop_pid() {
    local pid="$1"
    [ -n "$pid" ] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        local _
        for _ in $(seq 1 30); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null
    fi
    wait "$pid" 2>/dev/null
}

# wait_for LIMIT WHAT COMMAND...: polls COMMAND every 0.1 s until it
# succeeds; fails when LIMIT seconds pass or Lumora ends first.
wait_for() {
    local limit="$1" what="$2"
    shift 2
    local deadline=$((SECONDS + limit))
    while ! "$@"; do
        if [ -n "$lumora_pid" ] && ! kill -0 "$lumora_pid" 2>/dev/null; then
            fail "lumora ended while waiting for $what"
        fi
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out after ${limit}s waiting for $what"
        sleep 0.1
    done
}

# put_string_record RECORD TEXT: writes TEXT as a settings record (two-byte
# little-endian length, then the bytes) into the file named by $ini.
# shellcheck disable=SC2154 # ini is set by the script that sources this
put_string_record() {
    local record="$1" text="$2"
    local n=${#text}
    printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8)))%s" "$text" |
        dd of="$ini" bs=1 seek=$(((record - 1) * 128)) conv=notrunc status=none
}

# Sets asan and lsan to the sanitizer options for a run of the real program.
# libxkbcommon-x11 hands strndup() atom names that are not NUL-terminated
# (legal: strndup stops at the count), which strict string checks report as
# an overflow inside the X keyboard set-up; the program's own string handling
# keeps the strict checks in the unit tests. Leak checks stay on, with the
# shared suppressions plus those of the system libraries only a real display
# brings in. Those libraries are built without frame pointers, so the fast
# unwinder stops in the first of them; the full unwinder lets a stack reach
# a library still loaded at the leak check when the allocating one is gone.
# Needs here (this folder) and work (the test's own folder).
# shellcheck disable=SC2034,SC2154 # asan and lsan are for the caller
gui_sanitizer_options() {
    asan="${ASAN_OPTIONS:-}"
    [ -n "$asan" ] && asan="$asan:strict_string_checks=0"
    lsan="${LSAN_OPTIONS:-}"
    local shared
    shared="$(sed -n 's/.*suppressions=\([^:]*\).*/\1/p' <<<"$lsan")"
    [ -n "$shared" ] || shared="$here/../sanitizer/lsan.supp"
    {
        [ -n "$shared" ] && [ -f "$shared" ] && cat "$shared"
        cat "$here/lsan-gui.supp"
    } >"$work/lsan.supp"
    lsan="${lsan:+$lsan:}suppressions=$work/lsan.supp:fast_unwind_on_malloc=0"
}

#!/usr/bin/env bash
# Starts lumora.exe under Wine, on an X server of its own, again and again
# while every core is kept busy, each time with a stored folder of a few
# games, and tells of each start whether the file list showed the games
# within LIMIT seconds, and whether "Exit" then ended the program within 30 s.
#
#   bench/startup/run_wine_listing.sh WINDOWS_BUILD [STARTS] [LIMIT]
#
# WINDOWS_BUILD is a Windows build (scripts/test-windows.sh makes one); its
# installed folder is made in a temporary one. STARTS defaults to 100, LIMIT
# to 20 s. The load is one busy loop per core (LISTING_LOAD=N for N loops),
# at the programs' own priority. The Wine server is started once and kept,
# as on a desktop where Wine runs; LISTING_COLD=1 ends it before each start,
# so that each start boots Wine too. LISTING_IN_STAGE=1 starts Lumora in its
# own folder, as a player does, rather than in a folder of its own per start.
# A start that did not list, or did not end, leaves a screenshot and what the
# program wrote in the build folder's listing-artifacts. Exit status: 0 when
# every start listed and ended, 1 otherwise.
set -uo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:?usage: run_wine_listing.sh WINDOWS_BUILD [STARTS] [LIMIT]}" && pwd)"
starts="${2:-100}"
limit="${3:-20}"
end_limit=30
prefix="$build/wineprefix"
artefacts="$build/listing-artifacts"
wine_run="$src/scripts/wine-run.sh"
work="$(mktemp -d -t lumora-wine-listing.XXXXXX)"
xvfb_pid="" lumora_pid="" load_pids=()

stop_pid() {
    [ -n "$1" ] || return 0
    kill -9 "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
cleanup() {
    stop_pid "$lumora_pid"
    for pid in "${load_pids[@]}"; do stop_pid "$pid"; done
    WINE_DISPLAY="" bash "$wine_run" "$prefix" --stop
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

cmake --install "$build" --prefix "$work/stage" >/dev/null || { echo "run_wine_listing: cannot install $build" >&2; exit 1; }
games="$work/games"
mkdir -p "$games" "$artefacts"
for game in PUZZLE "GAME B" RACER SHOOTER; do : >"$games/$game.ZIP"; done

# shellcheck source=scripts/xvfb-lib.sh
source "$src/scripts/xvfb-lib.sh"
start_xvfb 80 89 || { echo "run_wine_listing: no free display in :80..:89" >&2; exit 1; }
export WINE_DISPLAY="$DISPLAY"
bash "$wine_run" "$prefix" cmd.exe /c exit 0 >/dev/null 2>&1
# One Wine server for all the starts, as on a desktop where Wine runs.
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -p 2>/dev/null || WINEPREFIX="$prefix" wineserver -p 2>/dev/null || true

# The settings file: record 3 names the folder (a two-byte little-endian
# count, then the bytes), every other record empty.
ini_with_folder() {
    local text="Z:${games//\//\\}" n
    n=${#text}
    head -c 1920 /dev/zero >"$1"
    printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8)))%s" "$text" |
        dd of="$1" bs=1 seek=256 conv=notrunc status=none
}

# The client area's corner, 930 and 1290 twips from the screen's, with no
# window manager to move the window; the file list 3360 and 3840 twips into it.
cx=62 cy=86
files_x=$((cx + 224)) files_y=$((cy + 256))
exit_x=$((cx + 536 + 40)) exit_y=$((cy + 344 + 15))
darkest_in() {
    import -window root -crop "$3x$4+$1+$2" +repage -colorspace Gray \
        -format '%[fx:int(255*minima.r+0.5)]' info:- 2>/dev/null
}
listed() { local d; d="$(darkest_in $((files_x + 4)) $((files_y + 2)) 120 30)"; [ -n "$d" ] && [ "$d" -lt 100 ]; }
shown() { xdotool search --onlyvisible --name '^Lumora$' >/dev/null 2>&1; }
# wait_until SECONDS COMMAND...: 0 once COMMAND succeeds, 1 when time runs
# out or Lumora has ended.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        kill -0 "$lumora_pid" 2>/dev/null || return 1
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

for _ in $(seq "${LISTING_LOAD:-$(nproc)}"); do
    (while :; do :; done) &
    load_pids+=($!)
done

stalled=0 unended=0
for n in $(seq "$starts"); do
    dir="$work/start$n"
    [ "${LISTING_COLD:-0}" = 1 ] && WINE_DISPLAY="" bash "$wine_run" "$prefix" --stop
    [ "${LISTING_IN_STAGE:-0}" = 1 ] && dir="$work/stage"
    mkdir -p "$dir" && ini_with_folder "$dir/Lumora.INI"
    (cd "$dir" && exec bash "$wine_run" "$prefix" "$work/stage/lumora.exe") >"$dir/out.txt" 2>&1 &
    lumora_pid=$!
    t0=$SECONDS
    result="listed"
    if ! wait_until 90 shown; then
        result="no window"
    elif ! wait_until "$limit" listed; then
        result="NOT LISTED after ${limit}s"
    fi
    listed_after=$((SECONDS - t0))
    [ "$result" = listed ] || { stalled=$((stalled + 1)); import -window root "$artefacts/start$n.png" 2>/dev/null; }
    xdotool mousemove --sync "$exit_x" "$exit_y" click 1 2>/dev/null
    # Away again: a --sync move to where the pointer already is waits for
    # a motion that never comes.
    xdotool mousemove 0 0 2>/dev/null
    ended="ended"
    deadline=$((SECONDS + end_limit))
    while kill -0 "$lumora_pid" 2>/dev/null; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            ended="NOT ENDED after ${end_limit}s"
            unended=$((unended + 1))
            import -window root "$artefacts/start$n-exit.png" 2>/dev/null
            break
        fi
        sleep 0.2
    done
    stop_pid "$lumora_pid"
    lumora_pid=""
    printf 'start %3d: %s (%ds), %s\n' "$n" "$result" "$listed_after" "$ended"
    [ "$result $ended" = "listed ended" ] || cp "$dir/out.txt" "$artefacts/start$n.txt"
    [ "$dir" = "$work/stage" ] || rm -rf "$dir"
done

echo "lumora.exe under Wine $(/usr/lib/wine/wine64 --version 2>/dev/null), $(nproc) cores, ${#load_pids[@]} busy loops: $starts starts"
echo "listed within ${limit}s: $((starts - stalled)) of $starts; ended by Exit within ${end_limit}s: $((starts - unended)) of $starts"
[ "$stalled" -eq 0 ] && [ "$unended" -eq 0 ]

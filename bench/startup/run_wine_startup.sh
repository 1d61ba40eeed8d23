#!/usr/bin/env bash
# Start-up of Lumora for Windows under Wine against a minimal Qt Widgets
# window built with the same Qt, on an X server of its own. Point it at a
# Windows build made with -DLUMORA_BUILD_BENCH=ON:
#
#   bench/startup/run_wine_startup.sh WINDOWS_BUILD [RUNS]
#
# Each probe quits once its first frame is painted. "launch" is the time from
# handing the program to Wine until it has ended, which is what a player
# waits for (Wine's loading of the program and its DLLs included; the Wine
# server is kept running, as on a desktop where Wine runs already); "frame"
# is the probe's own time from main() to its first frame. The programs start
# RUNS times each (default 15) in a new random order each round, after two
# warm-up rounds, each in a fresh folder (Lumora writes Lumora.INI there).
# Also prints the sizes of the portable ZIP and the installer when the build
# holds them.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:?usage: run_wine_startup.sh WINDOWS_BUILD [RUNS]}" && pwd)"
runs="${2:-15}"
bin="$build/bench/startup"
for p in startup_probe_minimal startup_probe_lumora; do
    [[ -f "$bin/$p.exe" ]] || { echo "run_wine_startup: $bin/$p.exe is missing; build with -DLUMORA_BUILD_BENCH=ON" >&2; exit 1; }
done
prefix="$build/wineprefix"
work="$(mktemp -d -t lumora-wine-startup.XXXXXX)"
xvfb_pid=""
cleanup() {
    WINE_DISPLAY= bash "$src/scripts/wine-run.sh" "$prefix" --stop
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=scripts/xvfb-lib.sh
source "$src/scripts/xvfb-lib.sh"
start_xvfb 50 59 || { echo "run_wine_startup: no free display in :50..:59" >&2; exit 1; }
export WINE_DISPLAY="$DISPLAY"
bash "$src/scripts/wine-run.sh" "$prefix" cmd.exe /c exit 0 >/dev/null 2>&1
# One Wine server for all the starts, as on a desktop where Wine runs.
WINEPREFIX="$prefix" "$(dirname "$(command -v wine64 2>/dev/null || echo /usr/lib/wine/wine64)")/wineserver" -p 2>/dev/null ||
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -p 2>/dev/null || true

start_one() { # probe, output file
    local dir t0 t1 line
    dir="$(mktemp -d "$work/run.XXXXXX")"
    t0=$(date +%s%N)
    line="$(cd "$dir" && bash "$src/scripts/wine-run.sh" "$prefix" "$bin/$1.exe" 2>/dev/null | tr -d '\r' | tail -1)"
    t1=$(date +%s%N)
    echo "launch_ms=$(((t1 - t0) / 1000)) $line" | awk '{ split($1, a, "="); printf "launch_ms=%.1f", a[2] / 1000; $1 = ""; print }' >>"$2"
    rm -rf "$dir"
}
probes=(startup_probe_minimal startup_probe_lumora)
for round in $(seq -2 "$runs"); do
    for p in $(printf '%s\n' "${probes[@]}" | shuf); do
        if ((round > 0)); then start_one "$p" "$work/$p.txt"; else start_one "$p" /dev/null; fi
    done
done
median() {
    grep -o "$2=[0-9.]*" "$1" | cut -d= -f2 | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo "Lumora for Windows under Wine $(wine64 --version 2>/dev/null || /usr/lib/wine/wine64 --version 2>/dev/null): $runs starts each; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-24s %10s %10s\n' program launch_ms frame_ms
for p in "${probes[@]}"; do
    printf '%-24s %10s %10s\n' "$p" "$(median "$work/$p.txt" launch_ms)" "$(median "$work/$p.txt" frame_ms)"
done
awk -v l="$(median "$work/startup_probe_lumora.txt" launch_ms)" -v m="$(median "$work/startup_probe_minimal.txt" launch_ms)" \
    -v lf="$(median "$work/startup_probe_lumora.txt" frame_ms)" -v mf="$(median "$work/startup_probe_minimal.txt" frame_ms)" \
    'BEGIN { printf "lumora / minimal: launch %.2fx, main to frame %.2fx\n", l / m, lf / mf }'
for package in "$build"/lumora-*-windows-x64.zip "$build"/lumora-*-windows-x64.exe; do
    [[ -f "$package" ]] && echo "package $(basename "$package"): $(stat -c %s "$package") bytes"
done
exit 0

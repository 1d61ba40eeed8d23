#!/usr/bin/env bash
# Start-up time and peak memory of Lumora against a minimal Qt program, on an
# X server of its own. Builds nothing: point it at a build made with
# -DLUMORA_BUILD_BENCH=ON.
#
#   bench/startup/run_startup.sh BUILD_DIR [RUNS]
#
# The programs start RUNS times each (default 15), after two warm-up rounds
# that are not counted:
#   minimal       an empty 663 x 413 client area where Lumora's goes, below a
#                 menu bar of one item
#   lumora        Lumora in an empty folder, no settings file yet
#   lumora-empty  Lumora whose settings file names an empty game folder
#   lumora-N      Lumora whose settings file names a folder of N files (half
#                 of them *.zip, letter case mixed), for each N in SIZES
#   lumora-hang   Lumora whose settings file names a folder whose read never
#                 ends (the probe's --hang-folder), as on a mount whose server
#                 has gone away
# SIZES (environment) defaults to "100000 1000000".
# Each round starts the programs in a new random order, so that none always
# follows the same one. Each start runs in a fresh folder of its own (Lumora
# writes Lumora.INI into its current folder). "frame" is the time from fork()
# to the end of the first frame of the window. lumora-empty and lumora-N go
# on until the file list holds the stored folder's files ("listed";
# "complete" is the later of it and the frame). Memory is VmHWM when the
# probe ends and the kernel's peak RSS over the whole run. The game folders
# stay in the page cache between starts. Then startup_steps shows where
# Lumora's time goes, and bench_lists (when built) measures the floor of
# reading and sorting 100,000 files, against which the complete list is
# judged.
set -euo pipefail

build=${1:?usage: run_startup.sh BUILD_DIR [RUNS]}
# The probes run from folders of their own, so the build is named absolutely.
build=$(cd "$build" && pwd)
runs=${2:-15}
bin="$build/bench/startup"
for p in startup_timer startup_probe_lumora startup_probe_minimal startup_steps; do
    [[ -x "$bin/$p" ]] || { echo "run_startup: $bin/$p is missing; build with -DLUMORA_BUILD_BENCH=ON" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "run_startup: Xvfb is not installed" >&2; exit 1; }

work=$(mktemp -d -t lumora-startup.XXXXXX)
xvfb_pid=
cleanup() {
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, so that no window manager or other client takes part.
display=
for n in 80 81 82 83 84 85 86 87 88 89; do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [[ -e /tmp/.X11-unix/X$n ]] && break
        sleep 0.1
    done
    if [[ -e /tmp/.X11-unix/X$n ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
        display=":$n"
        break
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
done
[[ -n "$display" ]] || { echo "run_startup: no free display in :80..:89" >&2; exit 1; }
export DISPLAY=$display
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A settings file whose record 3 (the browsed directory, bytes 256..383: a
# 16-bit little-endian length, then the bytes) names $1; the rest zero.
write_ini() {
    perl -e 'my ($p) = @ARGV; die "path too long\n" if length($p) > 126;
             my $img = "\0" x (15 * 128);
             substr($img, 256, 2 + length $p) = pack("v", length $p) . $p;
             print $img;' "$1"
}

sizes=(${SIZES:-100000 1000000})
mkdir "$work/empty" "$work/hung"
write_ini "$work/empty" >"$work/empty.ini"
write_ini "$work/hung" >"$work/hung.ini"
programs=(minimal lumora lumora-empty)
for n in "${sizes[@]}"; do
    mkdir "$work/games$n"
    (cd "$work/games$n" && awk -v n="$n" 'BEGIN {
        split("GAME%07d.ZIP readme%07d.txt game%07d.zip Notes%07d.TXT", shape, " ")
        for (i = 1; i <= n; ++i) printf shape[i % 4 + 1] "\n", i }' | xargs touch)
    write_ini "$work/games$n" >"$work/games$n.ini"
    programs+=("lumora-$n")
done
programs+=(lumora-hang)
start_one() { # program, output file
    local dir exe args=()
    dir=$(mktemp -d "$work/run.XXXXXX")
    case $1 in
    minimal) exe=startup_probe_minimal ;;
    lumora) exe=startup_probe_lumora ;;
    lumora-empty) exe=startup_probe_lumora; args=(--until-listed); cp "$work/empty.ini" "$dir/Lumora.INI" ;;
    lumora-hang) exe=startup_probe_lumora; args=("--hang-folder=$work/hung"); cp "$work/hung.ini" "$dir/Lumora.INI" ;;
    lumora-*) exe=startup_probe_lumora; args=(--until-listed); cp "$work/games${1#lumora-}.ini" "$dir/Lumora.INI" ;;
    esac
    # A failed start is reported after the loop, with its messages.
    (cd "$dir" && "$bin/startup_timer" "$bin/$exe" "${args[@]}" 2>>"$work/stderr.log" | tr '\n' ' ') >>"$2" || true
    echo >>"$2"
    rm -rf "$dir"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for round in $(seq -2 "$runs"); do
    for p in $(printf '%s\n' "${programs[@]}" | shuf); do
        if ((round > 0)); then start_one "$p" "$work/$p.txt"; else start_one "$p" /dev/null; fi
    done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# Where the time goes: first-time costs one by one, then the folder reads.
for _ in 1 2 3 4 5; do
    dir=$(mktemp -d "$work/run.XXXXXX")
    (cd "$dir" && "$bin/startup_steps" "$work/games100000" 2>>"$work/stderr.log") >>"$work/steps.txt" || true
    rm -rf "$dir"
done

# The floor for a complete list: the same benchmark as in BENCHMARKS.md
# section 1, on a folder of the same shape, run after the starts so that it
# takes no cores from them.
floors=
if [[ -x "$build/bench/bench_lists" ]]; then
    floors=$(cd "$(mktemp -d "$work/run.XXXXXX")" && QT_QPA_PLATFORM=offscreen "$build/bench/bench_lists" \
        --benchmark_filter='^BM_FilesFloor(TwoCores)?/[01]/100000$' --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null | grep '_median"' || true)
fi

for p in "${programs[@]}"; do
    if [[ $(grep -c 'exit=0' "$work/$p.txt") -ne $runs ]]; then
        echo "run_startup: $p did not start cleanly every time:" >&2
        cat "$work/$p.txt" "$work/stderr.log" >&2
        exit 1
    fi
done

# The median of field $2 over the lines of $1.
median() {
    grep -o "$2=[0-9.]*" "$1" | cut -d= -f2 | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# A number to one decimal place; "-" stays as it is.
oneplace() { awk -v v="$1" 'BEGIN { if (v == "-") print v; else printf "%.1f\n", v }'; }

echo "Lumora start-up: $runs starts each, in a new random order each round; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'); load average before $load_before, after $load_after"
echo "game folder on $(stat -f -c %T "$work"); Qt $(qtpaths6 --qt-version 2>/dev/null || echo '?')"
echo
echo "median milliseconds from fork() to each step; memory in MB"
marks=(main app window load show paint frame listed complete)
printf '%-32s' program
for m in "${marks[@]}"; do printf ' %8s' "$m"; done
printf ' %9s %9s\n' VmHWM maxRSS
for p in "${programs[@]}"; do
    f="$work/$p.txt"
    printf '%-32s' "$p"
    for m in "${marks[@]}"; do printf ' %8s' "$(oneplace "$(median "$f" "${m}_ms")")"; done
    awk -v h="$(median "$f" hwm_kb)" -v r="$(median "$f" maxrss_kb)" 'BEGIN { printf " %9.1f %9.1f\n", h / 1024, r / 1024 }'
done
echo
echo "startup_steps, median of 5 (ms): first-time costs, then the window; folder reads of 100,000 files, best of 5 each"
steps=(app fonts menubar controls window load show readdir read files_zip filelist)
for s in "${steps[@]}"; do printf ' %9s' "$s"; done
echo
for s in "${steps[@]}"; do printf ' %9s' "$(oneplace "$(median "$work/steps.txt" "${s}_ms")")"; done
echo
echo
frame() { median "$work/$1.txt" frame_ms; }
mem() { median "$work/$1.txt" maxrss_kb; }
awk -v l="$(frame lumora-empty)" -v m="$(frame minimal)" 'BEGIN {
    printf "first frame, lumora-empty / minimal:          %.2fx\n", l / m }'
for p in "${programs[@]:3}"; do
    awk -v p="$p" -v g="$(frame "$p")" -v e="$(frame lumora-empty)" 'BEGIN {
        printf "first frame, %-32s / lumora-empty: %.2fx  (goal at most 1.10x)\n", p, g / e }'
done
for n in "${sizes[@]}"; do
    awk -v n="$n" -v mg="$(mem "lumora-$n")" -v me="$(mem lumora-empty)" 'BEGIN {
        printf "peak RSS, lumora-%s - lumora-empty:     %+.1f MB, %.2f MB per 100,000 files\n", n, (mg - me) / 1024,
               (mg - me) / 1024 / (n / 100000) }'
done
if [[ -n "$floors" && -s "$work/lumora-100000.txt" ]]; then
    echo
    echo "floor of the same folder shape, 100,000 files, median of 5 (ms, wall):"
    # name,iterations,real_time,... in milliseconds
    for b in 'BM_FilesFloor/0' 'BM_FilesFloor/1' 'BM_FilesFloorTwoCores/0' 'BM_FilesFloorTwoCores/1'; do
        printf '  %-26s %s\n' "$b/100000" "$(grep "\"$b/100000_median\"" <<<"$floors" | cut -d, -f3)"
    done
    two_zip=$(grep '"BM_FilesFloorTwoCores/0/100000_median"' <<<"$floors" | cut -d, -f3)
    two_all=$(grep '"BM_FilesFloorTwoCores/1/100000_median"' <<<"$floors" | cut -d, -f3)
    awk -v e="$(frame lumora-empty)" -v z="$two_zip" -v a="$two_all" 'BEGIN {
        printf "empty frame + 1.25 x two-core floor: *.zip %.1f ms, *.* %.1f ms\n", e + 1.25 * z, e + 1.25 * a }'
    for p in "${programs[@]}"; do
        [[ $p == lumora-100000 || $p == lumora-100000+* ]] || continue
        awk -v p="$p" -v c="$(median "$work/$p.txt" complete_ms)" -v e="$(frame lumora-empty)" -v z="$two_zip" \
            -v a="$two_all" 'BEGIN {
            printf "list complete, %-32s %.1f ms: (complete - empty frame) = %.2f x the *.zip floor, %.2f x the *.* floor (goal at most 1.25)\n",
                   p, c, (c - e) / z, (c - e) / a }'
    done
fi

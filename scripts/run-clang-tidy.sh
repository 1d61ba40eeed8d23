#!/usr/bin/env bash
# Runs clang-tidy (version 14, checks in .clang-tidy) over Lumora's own
# sources, two files at a time, and exits non-zero on any warning.
#
#   scripts/run-clang-tidy.sh [BUILD_DIR] [FILE_REGEX...]
#
# BUILD_DIR supplies compile_commands.json; it defaults to build/tidy, which is
# configured with Clang when it has no database yet (configure only: nothing is
# compiled). FILE_REGEX narrows the run, e.g. 'core/.*\.cpp$'. TIDY_JOBS sets
# the parallel runs (default 2); a full run takes minutes, Qt's headers being
# most of the work.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$src/build/tidy}"
[ $# -gt 0 ] && shift
jobs="${TIDY_JOBS:-2}"

runner=""
for candidate in run-clang-tidy-14 run-clang-tidy; do
    if command -v "$candidate" >/dev/null 2>&1; then
        runner="$candidate"
        break
    fi
done
tidy="$(command -v clang-tidy-14 || command -v clang-tidy || true)"
if [ -z "$runner" ] || [ -z "$tidy" ]; then
    echo "run-clang-tidy: clang-tidy is not installed (Debian package clang-tidy)." >&2
    exit 2
fi

if [ ! -f "$build/compile_commands.json" ]; then
    # Clang's own flags, so that the database holds nothing clang-tidy would
    # trip over; tests and benchmarks included so that they are checked too.
    CC=clang CXX=clang++ cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
        -DLUMORA_BUILD_TESTS=ON -DLUMORA_BUILD_BENCH=ON >/dev/null
else
    # Configuring again picks up source files added since.
    cmake -S "$src" -B "$build" >/dev/null
fi

# The sources under the tree's own folders; build directories (with the moc
# output in them) and anything outside the tree stay out.
quoted_src="$(printf '%s' "$src" | sed 's/[][\.*^$+?(){}|]/\\&/g')"
own="^$quoted_src/(core|controls|launcher|settings|tests|bench)/"
if [ $# -eq 0 ]; then
    set -- "$own.*\.cpp$"
else
    patterns=()
    # Python's regex: the lookahead keeps each pattern inside the own folders.
    for p in "$@"; do patterns+=("(?=$own).*$p"); done
    set -- "${patterns[@]}"
fi

start=$(date +%s)
set +e
# Only the findings: no per-file command lines, no counts of the warnings
# that the filters hid, no colour codes.
# Headers are met through each layer's include root in the build folder too.
headers="($own|/include-roots/[^/]+/(core|controls|launcher|settings)/).*\.h$"
"$runner" -clang-tidy-binary "$tidy" -p "$build" -j "$jobs" -quiet -header-filter="$headers" "$@" 2>&1 |
    sed -E 's/\x1b\[[0-9;]*m//g' |
    grep -v -E '^([0-9]+ warnings?( and [0-9]+ errors?)? generated\.|Suppressed [0-9]+ warnings|Use -header-filter|/usr/.*clang-tidy)'
status=${PIPESTATUS[0]}
set -e
if [ "$status" -eq 0 ]; then
    echo "run-clang-tidy: clean, $(($(date +%s) - start)) s with $jobs jobs."
else
    echo "run-clang-tidy: warnings above (exit $status), $(($(date +%s) - start)) s with $jobs jobs." >&2
fi
exit "$status"

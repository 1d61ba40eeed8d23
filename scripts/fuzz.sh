#!/usr/bin/env bash
# Builds the settings-file fuzz target with Clang's libFuzzer and runs it for a
# bounded time on a working copy of the committed corpus.
#
#   scripts/fuzz.sh                   # 30 seconds
#   FUZZ_SECONDS=600 scripts/fuzz.sh  # longer
#
# LUMORA_FUZZ_BUILD picks the build directory (default build/fuzz). Exits
# non-zero when the target crashes; the crashing input is left in
# <build>/artifacts/ and belongs in tests/fuzz/corpus/ once the fault is fixed.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${LUMORA_FUZZ_BUILD:-$src/build/fuzz}"
seconds="${FUZZ_SECONDS:-30}"
jobs="${FUZZ_BUILD_JOBS:-$(nproc)}"

for tool in clang clang++; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "fuzz: $tool is not installed (Debian packages clang and libclang-rt-14-dev)." >&2
        exit 2
    fi
done

CC=clang CXX=clang++ cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLUMORA_FUZZ=ON -DLUMORA_BUILD_TESTS=ON -DLUMORA_BUILD_BENCH=OFF -DLUMORA_SANITIZE=OFF >/dev/null
# Only the fuzz target and the core it covers; the windows are not needed.
cmake --build "$build" --target settings_fuzz -j"$jobs"

# The fuzzer adds what it finds to its working corpus; the committed seeds stay
# as they are.
work="$build/corpus"
artifacts="$build/artifacts"
mkdir -p "$work" "$artifacts"
cp -f "$src"/tests/fuzz/corpus/* "$work"/

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
"$build/settings_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -dict="$src/tests/fuzz/settings.dict" -artifact_prefix="$artifacts/" \
    "$work" || status=$?
if [ $status -ne 0 ]; then
    echo "fuzz: settings_fuzz failed (exit $status); inputs that crashed it:" >&2
    ls -1 "$artifacts" >&2 || true
    exit $status
fi
echo "fuzz: no crash in $seconds seconds; working corpus: $(ls -1 "$work" | wc -l) inputs in $work"

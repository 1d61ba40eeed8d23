#!/usr/bin/env bash
# Builds Lumora once, with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs the whole suite headless: unit, GUI, end-to-end and the replay of
# the fuzz corpus. The slower checks (format, clang-tidy, a fuzzing run, the
# core under Wine, the benchmarks' build, the Debian package) are
# scripts/check-all.sh's.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$src"
# shellcheck source=scripts/deps.sh
source "$src/scripts/deps.sh"
lumora_install_missing "${lumora_build_packages[@]}" "${lumora_test_packages[@]}"

jobs="$(nproc)"
build="$src/build/sanitize"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DLUMORA_SANITIZE=ON -DLUMORA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$src/tests/sanitizer/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600

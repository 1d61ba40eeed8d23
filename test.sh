#!/usr/bin/env bash
# Builds Lumora with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# the whole suite headless: unit, GUI, end-to-end and fuzz replay; then the
# core's suite built for Windows, under Wine; then builds the Debian package
# and checks it.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$src"
# shellcheck source=scripts/deps.sh
source "$src/scripts/deps.sh"
lumora_install_missing "${lumora_build_packages[@]}" "${lumora_test_packages[@]}"

jobs="$(nproc)"
build="$src/build/sanitize"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DLUMORA_SANITIZE=ON -DLUMORA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs"

bash "$src/scripts/check-format.sh"
# clang-tidy with the checks in .clang-tidy: any warning fails the run.
TIDY_JOBS="$jobs" bash "$src/scripts/run-clang-tidy.sh"

# A short, bounded fuzzing run of the settings-file reader (the corpus replay
# itself is part of the CTest suite below).
FUZZ_SECONDS="${FUZZ_SECONDS:-30}" FUZZ_BUILD_JOBS="$jobs" bash "$src/scripts/fuzz.sh"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$src/tests/sanitizer/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600

# The core once more, cross-built for Windows and run under Wine: the only
# run its Windows branches get.
bash "$src/scripts/test-windows.sh"

# The Debian package, from a release build of its own: lintian, AppStream,
# the desktop entry and the manual page.
PKG_BUILD_JOBS="$jobs" bash "$src/scripts/check-package.sh"

#!/usr/bin/env bash
# The checks beyond the suite, for CI and before a release; ./test.sh is the
# quick answer and comes first. Installs what is missing, then: the sources
# against .clang-format, clang-tidy (any warning fails), a bounded fuzzing
# run of the settings file's reader, the core built for Windows and run under
# Wine, the benchmarks' build, and the Debian package with its checks.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$src"
# shellcheck source=scripts/deps.sh
source "$src/scripts/deps.sh"
lumora_install_missing "${lumora_build_packages[@]}" "${lumora_check_packages[@]}"
jobs="$(nproc)"

bash "$src/scripts/check-format.sh"
TIDY_JOBS="$jobs" bash "$src/scripts/run-clang-tidy.sh"
FUZZ_SECONDS="${FUZZ_SECONDS:-30}" FUZZ_BUILD_JOBS="$jobs" bash "$src/scripts/fuzz.sh"
bash "$src/scripts/test-windows.sh"
# The benchmarks are measured by hand (BENCHMARKS.md); here they only have to
# build.
cmake -S "$src" -B "$src/build/bench" -DCMAKE_BUILD_TYPE=Release -DLUMORA_BUILD_TESTS=OFF \
    -DLUMORA_BUILD_BENCH=ON >/dev/null
cmake --build "$src/build/bench" -j"$jobs"
PKG_BUILD_JOBS="$jobs" bash "$src/scripts/check-package.sh"

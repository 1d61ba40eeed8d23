#!/usr/bin/env bash
# Cross-builds the window-free core and its tests for Windows with MinGW-w64
# and runs them under Wine, headless. This is where core/platform's Windows
# branches run at all. The build and its Wine prefix live in build/windows.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/deps.sh
source "$src/scripts/deps.sh"
lumora_install_missing cmake "${lumora_windows_test_packages[@]}"

build="${LUMORA_WINDOWS_BUILD:-$src/build/windows}"
cmake -S "$src/tests/windows" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The test program itself rather than CTest: one Wine start instead of one
# per test (ctest --test-dir build/windows runs them one by one, also under
# Wine).
status=0
bash "$src/scripts/wine-run.sh" "$build/wineprefix" "$build/core_tests.exe" "$@" || status=$?
# Nothing of Wine's is left running once the tests are done.
bash "$src/scripts/wine-run.sh" "$build/wineprefix" --stop
exit "$status"

#!/usr/bin/env bash
# Lumora on Windows, from Linux: builds the whole program and every test
# program with MinGW-w64 and the Qt that scripts/qt-windows.sh makes (once
# per machine, a quarter of an hour or more the first time), then under Wine runs the
# suite (core and windows on Qt's offscreen platform) and the end-to-end test
# of lumora.exe on an X server of its own, packs the portable ZIP and the
# installer with their SHA256SUMS, and checks the installer and the sums.
# Arguments go to ctest, for example
#   scripts/test-windows.sh -R core_tests
# The build, its Wine prefixes and the packages live in build/windows.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/deps.sh
source "$src/scripts/deps.sh"
lumora_install_missing cmake "${lumora_windows_test_packages[@]}"

qt="$(bash "$src/scripts/qt-windows.sh")"
build="${LUMORA_WINDOWS_BUILD:-$src/build/windows}"
# A build folder made from another source tree (the core alone, once) is
# made anew.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$src" "$build/CMakeCache.txt"; then
    rm -rf "$build"
fi
"$qt/bin/qt-cmake" -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"

status=0
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 900 "$@" || status=$?
if [ $# -eq 0 ]; then
    version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
    packages=("lumora-$version-windows-x64.zip" "lumora-$version-windows-x64.exe")
    rm -f "$build/SHA256SUMS"
    # The sums a player checks a download against, published beside it.
    (cd "$build" && cpack -G ZIP >/dev/null && cpack -G NSIS >/dev/null &&
        sha256sum "${packages[@]}" >SHA256SUMS) || status=1
    bash "$src/scripts/check-windows-installer.sh" "$build/lumora-$version-windows-x64.exe" "$build/installprefix" ||
        status=1
    (cd "$build" && sha256sum -c SHA256SUMS) || status=1
    ls -l "$build"/lumora-"$version"-windows-x64.{zip,exe} 2>/dev/null | awk '{ print "package:", $9, $5, "bytes" }'
fi
# Nothing of Wine's is left running once the tests are done.
bash "$src/scripts/wine-run.sh" "$build/wineprefix" --stop
exit "$status"

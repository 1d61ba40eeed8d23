#!/usr/bin/env bash
# Builds Lumora (release) and starts it in the current directory, where it
# keeps its settings file Lumora.INI.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/deps.sh
source "$src/scripts/deps.sh"
lumora_install_missing "${lumora_build_packages[@]}"

build="$src/build/release"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLUMORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Lumora is a desktop program and needs a display, but neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    echo "Start it from a desktop session (or under Xvfb: xvfb-run ./run.sh)." >&2
    exit 1
fi
exec "$build/lumora"

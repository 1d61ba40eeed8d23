#!/usr/bin/env bash
# Builds Qt for Windows once per machine, from Debian's own source package of
# the Qt that Lumora is built with on Linux (qt6-base, 6.4.2), cross-compiled
# with MinGW-w64, and prints the folder it is installed in:
#   scripts/qt-windows.sh            # builds it unless it is there, complete
#   LUMORA_QT_WINDOWS=DIR ...        # another folder than the cache's
# Only what Lumora needs is built: Core, Gui, Widgets and Test, the windows
# and offscreen platform plugins and the windowsvista style. Qt's host tools
# (moc, rcc, uic) are Debian's own, of the same version. The build takes a
# quarter of an hour on two idle cores (forty minutes on busy ones) and is
# reused as long as the folder is complete.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/deps.sh
source "$src/scripts/deps.sh"

cache="${XDG_CACHE_HOME:-$HOME/.cache}/lumora"
prefix="${LUMORA_QT_WINDOWS:-$cache/qt-6.4.2-mingw64}"
say() { echo "qt-windows: $*" >&2; }
fail() {
    say "$*"
    exit 1
}

# What the prefix was built with: a change here builds it again.
features=(-no-opengl -no-dbus -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-concurrent
          -no-feature-xml -no-feature-vulkan -no-feature-tabletevent
          -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-harfbuzz -qt-freetype)
recipe="qtbase 6.4.2 mingw64 ${features[*]}"
needed=(bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll bin/qt-cmake
        plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll plugins/styles/qwindowsvistastyle.dll)
complete() {
    [ -f "$prefix/.lumora-recipe" ] && [ "$(cat "$prefix/.lumora-recipe")" = "$recipe" ] || return 1
    local file
    for file in "${needed[@]}"; do
        [ -e "$prefix/$file" ] || return 1
    done
}
# Qt's LGPL asks that its licence texts go with every copy shipped, and so do
# the libraries built into it.
copy_licences() {
    local from="$1" to="$2" dir file
    mkdir -p "$to"
    cp "$from"/LICENSES/*.txt "$to/"
    for dir in double-conversion easing freetype harfbuzz-ng libjpeg libpng md4c pcre2 tinycbor zlib; do
        for file in "$from/src/3rdparty/$dir"/{LICENSE,LICENCE,COPYING}*; do
            [ -f "$file" ] && cp "$file" "$to/$dir-$(basename "$file")"
        done
    done
    return 0
}

if complete; then
    say "using $prefix, built before"
    echo "$prefix"
    exit 0
fi

lumora_install_missing "${lumora_qt_windows_packages[@]}"
host_version="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
case "$host_version" in
    6.4.2*) ;;
    *) fail "Debian's qt6-base-dev is $host_version; this recipe is for 6.4.2" ;;
esac

# Source and build go next to the prefix, and away once it is installed.
work="$prefix.work"
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
cd "$work"

# A private apt configuration with one deb-src line, for the mirror and
# suite the machine already uses: its own sources stay as they are, and apt
# checks the source package's signature against Debian's keyring.
sources=/etc/apt/sources.list.d/debian.sources
mirror="$(awk '/^URIs:/ {print $2; exit}' "$sources" 2>/dev/null || true)"
suite="$(awk '/^Suites:/ {print $2; exit}' "$sources" 2>/dev/null || true)"
keyring="$(awk '/^Signed-By:/ {print $2; exit}' "$sources" 2>/dev/null || true)"
mirror="${mirror:-http://deb.debian.org/debian}"
suite="${suite:-bookworm}"
keyring="${keyring:-/usr/share/keyrings/debian-archive-keyring.gpg}"
echo "deb-src [signed-by=$keyring] $mirror $suite main" >apt/sources.list
apt_private=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
             -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache" -o APT::Sandbox::User=root)
say "fetching the source of qt6-base $host_version from $mirror $suite"
apt-get "${apt_private[@]}" -qq update || fail "apt could not read the source index of $mirror $suite"
apt-get "${apt_private[@]}" -qq source --download-only "qt6-base=$host_version" >/dev/null ||
    fail "apt could not fetch the source package qt6-base $host_version"
dpkg-source --no-check -x qt6-base_*.dsc qtbase >"$work/unpack.log" 2>&1 || fail "the source package did not unpack; see $work/unpack.log"

say "configuring (for $prefix)"
mkdir build
cd build
../qtbase/configure -prefix "$prefix" -release -xplatform win32-g++ -qt-host-path /usr \
    -nomake examples -nomake tests "${features[@]}" -- \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -G Ninja >"$work/configure.log" 2>&1 ||
    { tail -40 "$work/configure.log" >&2; fail "configure failed; the whole log is $work/configure.log"; }

say "building: a quarter of an hour or more on two cores (log: $work/build.log)"
started=$SECONDS
cmake --build . --parallel "$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -40 "$work/build.log" >&2; fail "the build failed; the whole log is $work/build.log"; }
cmake --install . >"$work/install.log" 2>&1 ||
    { tail -20 "$work/install.log" >&2; fail "the install failed; the whole log is $work/install.log"; }
for file in "${needed[@]}"; do
    [ -e "$prefix/$file" ] || fail "the build installed no $file"
done
copy_licences "$work/qtbase" "$prefix/licenses"
echo "$recipe" >"$prefix/.lumora-recipe"
cd /
rm -rf "$work"
say "built in $(((SECONDS - started) / 60)) minutes: $prefix ($(du -sh "$prefix" | cut -f1))"
echo "$prefix"

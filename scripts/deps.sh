# Installs the Debian packages that are missing, through sudo when not root.
# Sourced by run.sh, test.sh and scripts/check-all.sh.

# qt6-wayland: the windows go to Wayland where there is no X server.
lumora_build_packages=(build-essential cmake pkg-config qt6-base-dev qt6-wayland libgl-dev fonts-liberation2)
# The Wayland smoke test: a headless Weston with Xwayland, and a session bus
# with the accessibility interface it presses the buttons through.
lumora_wayland_test_packages=(weston xwayland dbus-daemon at-spi2-core python3-dbus procps)
# The suite (test.sh): GoogleTest, and the end-to-end tests' X server, input,
# screenshots and tracer.
lumora_test_packages=(googletest libgtest-dev xvfb xauth xdotool x11-utils imagemagick strace fonts-dejavu-core
                      "${lumora_wayland_test_packages[@]}")
# The Windows build, its suite and end-to-end test under Wine, the packages
# and the version resources they carry (exiftool; scripts/test-windows.sh;
# Qt for Windows is scripts/qt-windows.sh's).
lumora_windows_test_packages=(g++-mingw-w64-x86-64-posix ninja-build googletest wine64 nsis xvfb xauth xdotool
                              x11-utils imagemagick perl libimage-exiftool-perl)
# Qt for Windows, built once from Debian's source package (scripts/qt-windows.sh).
lumora_qt_windows_packages=(g++-mingw-w64-x86-64-posix cmake ninja-build dpkg-dev xz-utils qt6-base-dev
                            qt6-base-dev-tools)
# The further checks (scripts/check-all.sh): the benchmarks, Clang's tools
# and fuzzer, the Windows build, the package's tools.
lumora_check_packages=(libbenchmark-dev clang libclang-rt-14-dev clang-format clang-tidy desktop-file-utils dpkg-dev
                       file lintian appstream man-db groff-base "${lumora_windows_test_packages[@]}")

lumora_install_missing() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

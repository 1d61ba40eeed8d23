#!/usr/bin/env bash
# Builds the Debian package from a release build of its own and holds it to
# the checks Debian applies:
#
#   - lintian: no error and no warning, except the ones overridden in
#     packaging/lintian-overrides (pedantic and info tags are shown too);
#   - appstreamcli: the metainfo validates with pedantic hints and without
#     the network, and fits the desktop entry beside it in the package;
#   - desktop-file-validate: the desktop entry draws no complaint;
#   - man: the manual page formats without a warning;
#   - the package, packaging/changelog, the metainfo's newest release and the
#     manual page all name the same version;
#   - the SHA256SUMS written beside the package holds its sum.
#
#   scripts/check-package.sh
#
# LUMORA_PKG_BUILD picks the build directory (default build/pkg); the package
# is left there with its SHA256SUMS. Exits 1 when a check fails, 2 when a
# tool is missing.
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${LUMORA_PKG_BUILD:-$src/build/pkg}"
jobs="${PKG_BUILD_JOBS:-$(nproc)}"
appid=io.github.lumora.lumora
started=$SECONDS

say() { echo "check-package: $*"; }
failures=0
fail() {
    echo "check-package: FAILED: $*" >&2
    failures=$((failures + 1))
}

for tool in cpack dpkg-deb dpkg-parsechangelog lintian appstreamcli desktop-file-validate man; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "check-package: '$tool' is not installed (scripts/deps.sh lists the test packages)." >&2
        exit 2
    fi
done

cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLUMORA_BUILD_TESTS=OFF -DLUMORA_BUILD_BENCH=OFF \
    -DLUMORA_SANITIZE=OFF >/dev/null
cmake --build "$build" -j"$jobs"
rm -f "$build"/lumora_*.deb "$build/SHA256SUMS"
cpack_log="$build/cpack.log"
if ! (cd "$build" && cpack -G DEB) >"$cpack_log" 2>&1; then
    cat "$cpack_log" >&2
    echo "check-package: cpack failed." >&2
    exit 1
fi
debs=("$build"/lumora_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "check-package: expected one lumora_*.deb in $build, found: ${debs[*]}" >&2
    exit 1
fi
deb="${debs[0]}"
# The sum a player checks a download against, published beside it.
(cd "$build" && sha256sum "$(basename "$deb")" >SHA256SUMS)
say "built ${deb#"$src"/} and its SHA256SUMS"

# ---- lintian. Overridden tags are listed (O:) with their reasons (N:), so the
# report shows what is let through and why.
lintian_status=0
report="$(lintian --pedantic --display-info --show-overrides --fail-on none "$deb" 2>&1)" || lintian_status=$?
# Lintian's note about running as root says nothing about the package.
report="$(grep -v '^running with root privileges' <<<"$report" || true)"
[ -n "$report" ] && printf '%s\n' "$report"
if [ $lintian_status -ne 0 ]; then
    fail "lintian could not check the package (exit status $lintian_status)"
elif grep -q '^[EW]: ' <<<"$report"; then
    fail "lintian reports errors or warnings that packaging/lintian-overrides does not name"
else
    say "lintian: no error, no warning beyond the overrides"
fi

# ---- The package's own files, as they will land on a system.
tree="$build/pkg-contents"
rm -rf "$tree"
mkdir -p "$tree"
dpkg-deb -x "$deb" "$tree"

if appstreamcli validate --no-net --pedantic --strict "$tree/usr/share/metainfo/$appid.metainfo.xml" &&
    appstreamcli validate-tree --no-net --pedantic --strict "$tree"; then
    say "appstreamcli: metainfo valid"
else
    fail "appstreamcli validate"
fi

desktop_report="$(desktop-file-validate "$tree/usr/share/applications/$appid.desktop" 2>&1)" || true
if [ -n "$desktop_report" ]; then
    printf '%s\n' "$desktop_report"
    fail "desktop-file-validate"
else
    say "desktop-file-validate: no complaint"
fi

# Formatted as lintian does it, from the installed, compressed page.
man_warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l "$tree/usr/share/man/man1/lumora.1.gz" 2>&1 >/dev/null)" || true
if [ -n "$man_warnings" ]; then
    printf '%s\n' "$man_warnings"
    fail "the manual page formats with warnings"
else
    say "man: lumora(1) formats without a warning"
fi

# ---- One version everywhere.
package_version="$(dpkg-deb -f "$deb" Version)"
changelog_version="$(dpkg-parsechangelog -l "$src/packaging/changelog" -S Version)"
metainfo_version="$(sed -n 's/.*<release [^>]*version="\([^"]*\)".*/\1/p' "$src/packaging/$appid.metainfo.xml" | head -n 1)"
manual_version="$(sed -n 's/^\.TH .*"Lumora \([^"]*\)".*/\1/p' "$src/packaging/lumora.1")"
if [ "$changelog_version" = "$package_version" ] && [ "$metainfo_version" = "$package_version" ] &&
    [ "$manual_version" = "$package_version" ]; then
    say "version $package_version in the package, the changelog, the metainfo and the manual page"
else
    fail "versions differ: package '$package_version', packaging/changelog '$changelog_version'," \
        "metainfo '$metainfo_version', manual page '$manual_version'"
fi

if (cd "$build" && sha256sum -c SHA256SUMS); then
    say "SHA256SUMS: the package's sum"
else
    fail "SHA256SUMS does not hold the package's sum"
fi

if [ $failures -ne 0 ]; then
    echo "check-package: $failures check(s) failed after $((SECONDS - started)) s." >&2
    exit 1
fi
say "passed in $((SECONDS - started)) s"

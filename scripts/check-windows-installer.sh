#!/usr/bin/env bash
# Checks the Windows installer as a player would meet it, under Wine in a
# Wine prefix of its own: the version resources Explorer shows for the
# installer and the installed lumora.exe, as exiftool reads them; a silent
# install for the user (no administrator),
# the installed lumora.exe started to its window from the Start menu's
# folder and left through "Exit", a silent uninstall, and nothing of it left
# behind: no program folder, no Start menu entry, no uninstall entry.
#
#   scripts/check-windows-installer.sh INSTALLER.exe [PREFIX]
set -euo pipefail
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
installer="$(realpath "${1:?usage: check-windows-installer.sh INSTALLER.exe [PREFIX]}")"
prefix="$(realpath -m "${2:-$src/build/windows/installprefix}")"
wine_run="$src/scripts/wine-run.sh"
version="$(basename "$installer" | sed -n 's/^lumora-\(.*\)-windows-x64\.exe$/\1/p')"
say() { echo "installer: $*"; }
fail() {
    echo "installer: FAILED: $*" >&2
    exit 1
}

# Product name, version and a description, in Explorer's Details tab.
check_version_resource() {
    local info
    info="$(exiftool -s -s -ProductName -ProductVersion -FileVersion -FileDescription -ProductVersionNumber "$1")" || true
    grep -qxF 'ProductName: Lumora' <<<"$info" && grep -qxF "ProductVersion: $version" <<<"$info" &&
        grep -qxF "FileVersion: $version" <<<"$info" && grep -q '^FileDescription: .*Lumora' <<<"$info" &&
        grep -qxF "ProductVersionNumber: $version.0" <<<"$info" ||
        fail "$(basename "$1") does not carry Lumora's version $version: ${info:-no version resource}"
    say "$(basename "$1"): $(sed -n 's/^FileDescription: //p' <<<"$info"), version $version"
}
[ -n "$version" ] || fail "no version in the installer's name $(basename "$installer")"
check_version_resource "$installer"

xvfb_pid=""
cleanup() {
    WINE_DISPLAY= bash "$wine_run" "$prefix" --stop
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT
# shellcheck source=scripts/xvfb-lib.sh
source "$src/scripts/xvfb-lib.sh"
start_xvfb 60 69 || fail "no X server could be started on :60 to :69"

wine() { WINE_DISPLAY="$DISPLAY" bash "$wine_run" "$prefix" "$@"; }
wine cmd.exe /c exit 0 >/dev/null 2>&1 || fail "no Wine prefix at $prefix"
home="$prefix/drive_c/users/$(id -un)"
programs="$home/AppData/Local/Programs/Lumora"
shortcut="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lumora.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora'
registered() { wine reg.exe query "$key" >/dev/null 2>&1; }
# Windows keeps a folder for the programs each user installs; a new Wine
# prefix has none yet.
mkdir -p "$home/AppData/Local/Programs"
# What the user's part of Windows holds, but for Wine's own scratch space.
snapshot() { (cd "$home" && find . -path ./Temp -prune -o -print | sort); }
before="$(snapshot)"

say "installing $(basename "$installer") silently"
wine "$installer" /S || fail "the installer ended with an error"
[ -f "$programs/lumora.exe" ] || fail "no lumora.exe in $programs"
[ -f "$programs/platforms/qwindows.dll" ] || fail "no platform plugin beside lumora.exe"
[ -f "$shortcut" ] || fail "no Start menu entry"
registered || fail "no uninstall entry under $key"
check_version_resource "$programs/lumora.exe"

say "starting the installed lumora.exe"
(cd "$programs" && wine ./lumora.exe >/dev/null 2>&1) &
window=""
for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --name '^Lumora$' 2>/dev/null | head -1 || true)"
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "the installed program showed no window"
# "Exit", at its designed place: 8040, 5160 twips from the client area,
# which lies 930, 1290 twips from the screen's corner.
xdotool mousemove --sync $((930 / 15 + 8040 / 15 + 40)) $((1290 / 15 + 5160 / 15 + 15)) click 1
for _ in $(seq 300); do
    xdotool search --onlyvisible --name '^Lumora$' >/dev/null 2>&1 || break
    sleep 0.1
done
[ -f "$programs/Lumora.INI" ] || fail "Exit kept no settings in the program's folder"

say "uninstalling silently"
wine "$programs/Uninstall.exe" /S || fail "the uninstaller ended with an error"
# The uninstaller runs on from a copy of itself and returns at once.
for _ in $(seq 300); do
    [ -e "$programs" ] || break
    sleep 0.1
done
[ ! -e "$programs" ] || fail "the program folder is still there: $(ls -A "$programs")"
[ ! -e "$shortcut" ] || fail "the Start menu entry is still there"
! registered || fail "the uninstall entry is still there"
after="$(snapshot)"
[ "$before" = "$after" ] || fail "left behind: $(diff <(echo "$before") <(echo "$after") | grep '^>' || true)"
say "installed, started, uninstalled; nothing left behind"

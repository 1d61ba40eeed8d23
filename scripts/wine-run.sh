#!/usr/bin/env bash
# Runs a Windows program under Wine, headless and reproducibly:
#   scripts/wine-run.sh PREFIX PROGRAM.exe [ARGUMENT...]
#   scripts/wine-run.sh PREFIX --stop     ends the prefix's Wine server now
# PREFIX is the Wine prefix (created on first use, which takes a few seconds).
# Headless, unless WINE_DISPLAY names the X display the program may show on.
# The program's exit status is this script's.
set -euo pipefail
if [ $# -lt 2 ]; then
    echo "usage: $0 PREFIX PROGRAM.exe [ARGUMENT...] | $0 PREFIX --stop" >&2
    exit 2
fi
prefix="$1"
shift

# Debian 12's wine64 package installs the loader outside PATH; the wine
# package adds /usr/bin/wine in front of it.
loader="${WINE:-}"
if [ -z "$loader" ]; then
    for candidate in /usr/lib/wine/wine64 wine64 wine; do
        if command -v "$candidate" >/dev/null 2>&1; then
            loader="$(command -v "$candidate")"
            break
        fi
    done
fi
if [ -z "$loader" ]; then
    echo "wine-run: Wine is not installed (Debian package wine64)." >&2
    exit 2
fi
server="$(dirname "$loader")/wineserver"
[ -x "$server" ] || server="$(command -v wineserver || true)"

# Wine's server outlives the last program by a few seconds and is found by
# the prefix folder's inode. Ended at once, it cannot serve a prefix made
# afresh in a folder that happens to get the same inode.
stop_server() {
    if [ -d "$prefix" ] && [ -n "$server" ]; then
        env WINEPREFIX="$prefix" "$server" -k >/dev/null 2>&1 || true
    fi
}
if [ "$1" = "--stop" ]; then
    stop_server
    exit 0
fi

display=(-u DISPLAY)
[ -n "${WINE_DISPLAY:-}" ] && display=()
wine=(env
      # Headless unless asked otherwise: nothing may open a window.
      "${display[@]}" -u WAYLAND_DISPLAY
      WINEPREFIX="$prefix" WINEDEBUG=-all
      # No Mono or Gecko: their installers would ask in a dialog. No menu
      # builder either: it writes desktop entries into the user's home.
      WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
      # Wine takes both the Unix file names' encoding and the Windows locale
      # from here. C.UTF-8 is on every Debian machine (an en_US.UTF-8 that is
      # not generated leaves Wine with ASCII-only file names) and Wine makes
      # it English (United States), whose ANSI code page is Windows-1252.
      LANG=C.UTF-8 LC_ALL=C.UTF-8
      ${WINE_DISPLAY:+"DISPLAY=$WINE_DISPLAY"}
      "$loader")

# A new prefix is made once, under a lock, so that tests started in parallel
# neither race to create it nor print its set-up chatter.
ready="$prefix/.lumora-ready"
if [ ! -f "$ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            mkdir -p "$prefix"
            stop_server
            log="$prefix.log"
            # Wine marks Unix dot-files hidden unless told otherwise; Windows
            # knows only the hidden attribute, and so must the tests.
            if ! { "${wine[@]}" wineboot.exe --init &&
                   "${wine[@]}" reg.exe add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f; } >"$log" 2>&1; then
                cat "$log" >&2
                echo "wine-run: could not create the Wine prefix $prefix" >&2
                exit 1
            fi
            touch "$ready"
        fi
    ) 9>"$prefix.lock"
fi

exec "${wine[@]}" "$@"

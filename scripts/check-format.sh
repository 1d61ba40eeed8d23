#!/usr/bin/env bash
# Checks every tracked C++ source against .clang-format without touching it.
# Lists the files that differ and exits 1 when there are any; with --fix it
# rewrites them in place instead.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

fix=0
[ "${1:-}" = "--fix" ] && fix=1

# The style is pinned to one clang-format release: others break lines
# differently.
formatter=""
for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null 2>&1; then
        formatter="$candidate"
        break
    fi
done
if [ -z "$formatter" ]; then
    echo "check-format: clang-format is not installed (Debian package clang-format)." >&2
    exit 2
fi
if ! "$formatter" --version | grep -q 'version 14\.'; then
    echo "check-format: warning: $("$formatter" --version) is not clang-format 14; results may differ." >&2
fi

mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
    echo "check-format: no tracked sources found." >&2
    exit 2
fi

if [ $fix -eq 1 ]; then
    "$formatter" -i --style=file "${files[@]}"
    exit 0
fi

bad=()
for f in "${files[@]}"; do
    # A file deleted in the working tree but still tracked has nothing to check.
    [ -e "$f" ] || continue
    if ! "$formatter" --dry-run -Werror --style=file "$f" >/dev/null 2>&1; then
        bad+=("$f")
    fi
done

if [ ${#bad[@]} -ne 0 ]; then
    echo "check-format: ${#bad[@]} file(s) differ from .clang-format:" >&2
    printf '  %s\n' "${bad[@]}" >&2
    echo "See the changes with: $formatter --style=file FILE | diff FILE -" >&2
    echo "Fix them with:        scripts/check-format.sh --fix" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files formatted."

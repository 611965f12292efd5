#!/usr/bin/env bash
# Creates a fresh private Wine prefix in the folder given and waits until it
# is complete. Source it to get WINEPREFIX and WINEDEBUG exported, or run it.
# One 64-bit prefix serves both builds: 32-bit programs run from syswow64.
wine_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    set -euo pipefail
    [[ $# -eq 1 ]] || { echo "usage: $0 PREFIX_DIR" >&2; exit 64; }
    wine_prefix "$(realpath -m "$1")"
fi

#!/usr/bin/env bash
# The shared steps of a Wine test run. wine_prefix creates a fresh private
# prefix in the folder given and waits until it is complete (source this file
# to get WINEPREFIX and WINEDEBUG exported, or run it with the folder). One
# 64-bit prefix serves both builds: 32-bit programs run from syswow64.
wine_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
}

# Counts a check in $failures and says PASS or FAIL for $arch, with the
# details file indented under a failure.
verdict() { # verdict STATUS WHAT [DETAIL FILE]
    if [[ $1 -eq 0 ]]; then
        echo "PASS $arch: $2"
    else
        echo "FAIL $arch: $2"
        [[ -n ${3:-} && -s $3 ]] && sed 's/^/    /' "$3"
        failures=$((failures + 1))
    fi
}

# Ends the run: with failures it keeps the prefix for their details in $work;
# a passing run leaves nothing behind, as a prefix takes over a gigabyte.
finish_run() {
    if [[ $failures -ne 0 ]]; then
        echo "$arch: $failures failed (details in $work)"
        exit 1
    fi
    cd /
    wineserver -k 2>/dev/null
    wineserver -w
    rm -rf "$WINEPREFIX"
    echo "$arch: every check passed"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    set -euo pipefail
    [[ $# -eq 1 ]] || { echo "usage: $0 PREFIX_DIR" >&2; exit 64; }
    wine_prefix "$(realpath -m "$1")"
fi

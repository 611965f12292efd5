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

# The tools for an architecture: the cross compiler ($cxx), the system
# folder of its programs ($sys), widl's platform ($typelib_platform) and the
# loader that starts its programs ($loader). The wine command starts Windows
# programs as 32-bit ones when it can, and a 32-bit process sees the 32-bit
# registry and loads 32-bit DLLs only: 64-bit programs start through the
# 64-bit loader. Stops the run when the built FILE under test is missing.
wine_arch() { # wine_arch x64|x86 FILE
    case $1 in
    x64)
        cxx=x86_64-w64-mingw32-g++ sys='C:\windows\system32' typelib_platform=win64
        loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
        ;;
    x86) cxx=i686-w64-mingw32-g++ sys='C:\windows\syswow64' typelib_platform=win32 loader=wine ;;
    *) echo "unknown architecture $1" >&2; exit 64 ;;
    esac
    if [[ ! -f $2 ]]; then
        echo "FAIL $1: $2 is missing (scripts/windows builds it)"
        exit 1
    fi
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

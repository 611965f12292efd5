#!/usr/bin/env bash
# Tests tallux.dll of one architecture as a control in OLE containers under
# Wine, in a private prefix: a headless C++ container (OleCreate, the control
# interfaces, OleDraw, persistence, no site, the about box without a display),
# then under xvfb-run Wine's AtlAxWin hosting the control and the about box.
# Usage: ole.sh x64|x86 DLL TYPEINFO_LINES [PREFIX]
#   TYPEINFO_LINES prints the type library (for the identifiers);
#   PREFIX is the Wine prefix to create afresh (default build/wine-ole/<arch>).
# Prints a PASS or FAIL line for each check; exits 1 when any fails.
set -uo pipefail
[[ $# -eq 3 || $# -eq 4 ]] || { echo "usage: $0 x64|x86 DLL TYPEINFO_LINES [PREFIX]" >&2; exit 64; }
arch=$1 dll=$(realpath -m "$2") typeinfo_lines=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/prefix.sh"
wine_arch "$arch" "$dll"

# The headless part must have no display, whatever the caller has.
unset DISPLAY WAYLAND_DISPLAY
wine_prefix "$(realpath -m "${4:-$root/build/wine-ole/$arch}")"
trap 'wineserver -k 2>/dev/null' EXIT
work=$WINEPREFIX/drive_c/tallux
mkdir -p "$work"
cd "$work" || exit 1
cp "$dll" tallux.dll
"$typeinfo_lines" >typeinfo.expected
clsid=$(awk '$1 == "type" && $2 == "Tallux" { print $5 }' typeinfo.expected)
diid=$(awk '$1 == "type" && $2 == "__Tallux" { print $5 }' typeinfo.expected)

failures=0
step() { verdict "$@"; [[ $1 -eq 0 ]]; } # a verdict that also fails the caller
# Each container line PASS/FAIL becomes a check of this architecture.
checks() { sed "s/^\(PASS\|FAIL\) /\1 $arch: /" "$1"; ! grep -q '^FAIL' "$1" && grep -q '^PASS' "$1"; }

"$cxx" -std=c++20 -O1 -Wall -Wextra -Werror -o container.exe "$here/container.cpp" -static \
    -lole32 -loleaut32 -luuid -lgdi32 -luser32 >container-build.log 2>&1
step $? "the C++ container builds" container-build.log || exit 1
"$loader" "$sys\\regsvr32.exe" /s 'C:\tallux\tallux.dll' 2>>wine.log
step $? "regsvr32 /s registers"

# Headless: this wineserver was started without a display.
"$loader" container.exe ole "$clsid" "$diid" 'C:\tallux\tallux.dll' 2>>wine.log | tr -d '\r' >ole.out
checks ole.out || failures=$((failures + 1))

# With a display: a wineserver started without one cannot create windows.
wineserver -k 2>/dev/null
wineserver -w
# Each architecture starts looking for a free display at its own number, so
# that the two tests running at once do not race for the same one.
case $arch in x64) display=171 ;; x86) display=181 ;; esac
xvfb-run -a -n $display -s '-screen 0 1024x768x24' bash -c '
    "$1" container.exe host TALLUXLIB.Tallux 2>>wine.log | tr -d "\r" >host.out
    "$1" container.exe about "$2" 2>>wine.log | tr -d "\r" >about.out
    wineserver -k' _ "$loader" "$clsid"
for out in host.out about.out; do
    checks $out || failures=$((failures + 1))
done

finish_run

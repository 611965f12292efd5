#!/usr/bin/env bash
# Fuzzes tallux.dll of one architecture under Wine for a while (fuzz.cpp):
# random Invoke, GetIDsOfNames, QueryInterface and class-factory calls. Fails
# on a crash, a hang or a growth of resident memory.
# Usage: fuzz.sh x64|x86 DLL SECONDS PREFIX [SEED]
#   PREFIX is the Wine prefix to create afresh; SEED (default: the time)
#   replays a run, and is printed.
set -uo pipefail
[[ $# -eq 4 || $# -eq 5 ]] || { echo "usage: $0 x64|x86 DLL SECONDS PREFIX [SEED]" >&2; exit 64; }
arch=$1 dll=$(realpath -m "$2") seconds=$3 seed=${5:-$(date +%s)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/prefix.sh"
wine_arch "$arch" "$dll"

# ShowAboutBox is among the calls: without a display it raises at once.
unset DISPLAY WAYLAND_DISPLAY
failures=0
wine_prefix "$(realpath -m "$4")"
trap 'wineserver -k 2>/dev/null' EXIT
work=$WINEPREFIX/drive_c/tallux
mkdir -p "$work"
cd "$work" || exit 1
cp "$dll" tallux.dll

"$cxx" -std=c++20 -O1 -Wall -Wextra -Werror -o fuzz.exe "$here/fuzz.cpp" -static -lole32 \
    -loleaut32 -luuid -lpsapi >build.log 2>&1
verdict $? "the fuzzer builds" build.log
"$loader" "$sys\\regsvr32.exe" /s 'C:\tallux\tallux.dll' 2>>wine.log
verdict $? "regsvr32 /s registers" wine.log
clsid=$("$loader" "$sys\\reg.exe" query 'HKCR\TALLUXLIB.Tallux\CLSID' /ve 2>>wine.log |
    tr -d '\r' | awk '/REG_SZ/ { print $3 }')

echo "fuzzing $arch for ${seconds}s, seed $seed"
timeout $((seconds + 120)) "$loader" fuzz.exe "$clsid" "$seconds" "$seed" 2>>wine.log |
    tr -d '\r' >fuzz.out
status=${PIPESTATUS[0]}
[[ $status -eq 124 ]] && echo "FAIL hang: the fuzzer did not end" >>fuzz.out
grep -v '^ok$' fuzz.out | sed "s/^/$arch: /"
[[ $status -eq 0 ]] && grep -qx ok fuzz.out
verdict $? "no crash, hang or memory growth (seed $seed)" fuzz.out

finish_run

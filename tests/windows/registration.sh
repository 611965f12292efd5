#!/usr/bin/env bash
# Both DLLs registered machine-wide in one prefix, one after the other:
# unregistering either leaves the registry exactly as the other's
# registration alone left it (the type library and interface keys they share
# included), a second /u succeeds, and the last one leaves the classes as they
# were before. The remaining architecture's cscript still draws.
# Usage: registration.sh X64_DLL X86_DLL [PREFIX]
# Prints a PASS or FAIL line for each check; exits 1 when any fails.
set -uo pipefail
[[ $# -eq 2 || $# -eq 3 ]] || { echo "usage: $0 X64_DLL X86_DLL [PREFIX]" >&2; exit 64; }
dll64=$(realpath -m "$1") dll86=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
arch=x64+x86
for dll in "$dll64" "$dll86"; do
    [[ -f $dll ]] || { echo "FAIL $arch: $dll is missing (scripts/windows builds it)"; exit 1; }
done
loader64=$(command -v wine64 || echo /usr/lib/wine/wine64)

failures=0
source "$here/prefix.sh"
wine_prefix "$(realpath -m "${3:-$root/build/wine-registration}")"
trap 'wineserver -k 2>/dev/null' EXIT
work=$WINEPREFIX/drive_c/tallux
mkdir -p "$work/x64" "$work/x86"
cd "$work" || exit 1
cp "$dll64" x64/tallux.dll
cp "$dll86" x86/tallux.dll
cp "$here/alive.vbs" .

# regsvr ARCH [FLAGS...]: the architecture's own regsvr32 on its DLL.
regsvr() {
    local a=$1
    shift
    if [[ $a == x64 ]]; then
        "$loader64" 'C:\windows\system32\regsvr32.exe' /s "$@" 'C:\tallux\x64\tallux.dll'
    else
        wine 'C:\windows\syswow64\regsvr32.exe' /s "$@" 'C:\tallux\x86\tallux.dll'
    fi 2>>wine.log
}
# Every class of the machine in both views (the 32-bit one is Wow6432Node).
snapshot() {
    "$loader64" regedit /E 'C:\tallux\export.reg' 'HKEY_LOCAL_MACHINE\Software\Classes' 2>>wine.log
    iconv -f UTF-16 -t UTF-8 export.reg | tr -d '\r' >"$1"
}
alive() { # alive ARCH: the architecture's cscript creates the control and draws
    local cscript='C:\windows\system32\cscript.exe' loader=$loader64
    [[ $1 == x86 ]] && cscript='C:\windows\syswow64\cscript.exe' loader=wine
    "$loader" "$cscript" //nologo alive.vbs 2>>wine.log | tr -d '\r'
}

# cscript registers its own type library on its first run: before the snapshot.
alive x64 >/dev/null
alive x86 >/dev/null
snapshot before.reg
for pair in x64:x86 x86:x64; do
    stays=${pair%%:*} goes=${pair#*:}
    log=$stays-stays.log
    : >"$log"
    regsvr "$stays" || echo "regsvr32 $stays exited $?" >>"$log"
    snapshot "$stays-alone.reg"
    regsvr "$goes" || echo "regsvr32 $goes exited $?" >>"$log"
    regsvr "$goes" /u || echo "regsvr32 /u $goes exited $?" >>"$log"
    regsvr "$goes" /u || echo "a second regsvr32 /u $goes exited $?" >>"$log"
    snapshot "$stays-after.reg"
    diff -u "$stays-alone.reg" "$stays-after.reg" >>"$log"
    out=$(alive "$stays")
    [[ $out == $'check\tdrawn\t0\tCODE39W' ]] || echo "$stays cscript after: $out" >>"$log"
    [[ ! -s $log ]]
    verdict $? "registering and unregistering $goes leaves every key of $stays as it was" "$log"

    log=$stays-gone.log
    : >"$log"
    regsvr "$stays" /u || echo "regsvr32 /u $stays exited $?" >>"$log"
    regsvr "$stays" /u || echo "a second regsvr32 /u $stays exited $?" >>"$log"
    snapshot "$stays-gone.reg"
    diff -u before.reg "$stays-gone.reg" >>"$log"
    for a in x64 x86; do
        out=$(alive $a)
        [[ $out == $'check\tcreated\t429' ]] || echo "$a cscript: $out" >>"$log"
    done
    [[ ! -s $log ]]
    verdict $? "unregistering $stays last leaves the classes as before, twice; CreateObject gives 429" \
        "$log"
done

finish_run

#!/usr/bin/env bash
# The installer's round trip under Wine, in a private prefix: tallux-setup.exe
# /S for the current user, then /S /AllUsers, each followed by its silent
# uninstaller. Per user: the files and the HKCU keys in place, HKLM
# untouched. For all users: 64-bit and 32-bit cscript create the control and
# draw. After each uninstallation CreateObject gives 429, and the registry
# (HKLM and HKCU Software) and the program folders are as before.
# Usage: installer.sh SETUP_EXE [PREFIX]
# Prints a PASS or FAIL line for each check; exits 1 when any fails.
set -uo pipefail
[[ $# -eq 1 || $# -eq 2 ]] || { echo "usage: $0 SETUP_EXE [PREFIX]" >&2; exit 64; }
setup=$(realpath -m "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
arch=installer
[[ -f $setup ]] || { echo "FAIL $arch: $setup is missing (scripts/windows builds it)"; exit 1; }
loader64=$(command -v wine64 || echo /usr/lib/wine/wine64)

unset DISPLAY WAYLAND_DISPLAY
failures=0
source "$here/prefix.sh"
wine_prefix "$(realpath -m "${2:-$root/build/wine-installer}")"
trap 'wineserver -k 2>/dev/null' EXIT
work=$WINEPREFIX/drive_c/tallux
mkdir -p "$work"
cd "$work" || exit 1
cp "$setup" tallux-setup.exe
cp "$here/alive.vbs" .

win64() { "$loader64" "$@" 2>>wine.log | tr -d '\r'; }
alive() { # alive x64|x86: that architecture's cscript creates the control and draws
    local cscript='C:\windows\system32\cscript.exe' loader=$loader64
    [[ $1 == x86 ]] && cscript='C:\windows\syswow64\cscript.exe' loader=wine
    "$loader" "$cscript" //nologo alive.vbs 2>>wine.log | tr -d '\r'
}
# What an installation may write: the machine's and the user's software
# keys (both views) in NAME.machine and NAME.user, the program folders' files
# in NAME.files.
export_key() { # export_key KEY FILE
    rm -f export.reg
    win64 regedit /E 'C:\tallux\export.reg' "$1"
    iconv -f UTF-16 -t UTF-8 export.reg | tr -d '\r' >"$2"
}
state() {
    export_key 'HKEY_LOCAL_MACHINE\Software' "$1.machine"
    export_key 'HKEY_CURRENT_USER\Software' "$1.user"
    (cd "$WINEPREFIX/drive_c" && find "Program Files" "Program Files (x86)" TalluxHere \
        users/*/AppData/Local -path '*/Temp' -prune -o -print 2>/dev/null | sort) >"$1.files"
}
# cscript registers its own type library on its first run: before the state.
alive x64 >/dev/null
alive x86 >/dev/null
programs=$(win64 'C:\windows\system32\cmd.exe' /c 'echo %LOCALAPPDATA%')\\Programs\\Tallux
# A user's classes key, which Windows always has and a new Wine prefix lacks.
win64 'C:\windows\system32\reg.exe' add 'HKCU\Software\Classes' /f >/dev/null
state before

# uninstall FOLDER: the silent uninstaller, which hands over to a copy of
# itself in the temporary folder: wait until every process has ended.
uninstall() {
    wine "$1\\uninstall.exe" /S 2>>wine.log
    wineserver -w
}
# gone LOG: nothing of the installation is left, and the class cannot be created.
gone() {
    state after
    local part
    for part in machine user files; do diff -u before.$part after.$part >>"$1"; done
    local a out
    for a in x64 x86; do
        out=$(alive $a)
        [[ $out == $'check\tcreated\t429' ]] || echo "$a cscript: $out" >>"$1"
    done
}

# For the current user, installed twice: the second over the first.
log=user.log
: >$log
for time in first second; do
    wine tallux-setup.exe /S 2>>wine.log
    status=$?
    wineserver -w
    [[ $status -eq 0 ]] || echo "the $time tallux-setup.exe /S exited $status" >>$log
done
folder=$(winepath -u "$programs" 2>>wine.log)
for file in x64/tallux.dll x86/tallux.dll README-Windows.txt LICENSE.txt uninstall.exe; do
    [[ -f $folder/$file ]] || echo "missing: $programs\\$file" >>$log
done
clsid=$(win64 'C:\windows\system32\reg.exe' query 'HKCU\Software\Classes\TALLUXLIB.Tallux\CLSID' /ve |
    awk '/REG_SZ/ { print $3 }')
# Wine 8 keeps one view of the user's classes, where Windows keeps two: the
# 64-bit DLL, registered last, is in both there.
for view in 64 32; do
    entered=$(win64 'C:\windows\system32\reg.exe' query \
        "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve /reg:$view |
        awk -F'    ' '/REG_SZ/ { print $4 }')
    [[ $entered == "$programs\\x64\\tallux.dll" || ($view == 32 &&
        $entered == "$programs\\x86\\tallux.dll") ]] ||
        echo "the $view-bit view's class under HKCU: \"$entered\"" >>$log
done
export_key 'HKEY_LOCAL_MACHINE\Software' installed.machine
diff -u before.machine installed.machine >>$log
[[ ! -s $log ]]
verdict $? "tallux-setup.exe /S, twice, installs both DLLs for the user: files and HKCU keys, HKLM untouched" \
    $log

log=user-gone.log
: >$log
uninstall "$programs"
gone $log
[[ ! -s $log ]]
verdict $? "its silent uninstaller leaves no key or file; CreateObject gives 429" $log

# For all users, in the folder /D= names.
log=machine.log
: >$log
wine tallux-setup.exe /S /AllUsers '/D=C:\TalluxHere' 2>>wine.log
status=$?
wineserver -w
[[ $status -eq 0 ]] || echo "tallux-setup.exe /S /AllUsers /D= exited $status" >>$log
[[ -f $WINEPREFIX/drive_c/TalluxHere/x64/tallux.dll ]] || echo "not in the /D= folder" >>$log
for a in x64 x86; do
    out=$(alive $a)
    [[ $out == $'check\tdrawn\t0\tCODE39W' ]] || echo "$a cscript: $out" >>$log
done
[[ ! -s $log ]]
verdict $? "tallux-setup.exe /S /AllUsers /D=: 64-bit and 32-bit cscript create the control and draw" $log

log=machine-gone.log
: >$log
uninstall 'C:\TalluxHere'
gone $log
[[ ! -s $log ]]
verdict $? "its silent uninstaller leaves no key or file; CreateObject gives 429" $log

finish_run

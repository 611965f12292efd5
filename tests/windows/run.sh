#!/usr/bin/env bash
# Tests tallux.dll of one architecture under Wine, in a private prefix:
# registration and its keys, the VBScript suite, JScript by value, the C++
# client (type information, early-bound calls, Invoke with typed references,
# unloading), caller errors, unregistration.
# Usage: run.sh x64|x86 DLL TALLUX_COMMAND TYPEINFO_LINES [PREFIX]
#   TALLUX_COMMAND is the Linux command whose traces the clients must match;
#   TYPEINFO_LINES prints the type library the client must read back;
#   PREFIX is the Wine prefix to create afresh (default build/wine/<arch>):
#   each build directory passes its own, so test runs never share one.
# Prints a PASS or FAIL line for each check; exits 1 when any fails.
set -uo pipefail
[[ $# -eq 4 || $# -eq 5 ]] ||
    { echo "usage: $0 x64|x86 DLL TALLUX_COMMAND TYPEINFO_LINES [PREFIX]" >&2; exit 64; }
arch=$1 dll=$(realpath -m "$2") cli=$(realpath -m "$3") typeinfo_lines=$(realpath -m "$4")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/prefix.sh"
wine_arch "$arch" "$dll"

failures=0

wine_prefix "$(realpath -m "${5:-$root/build/wine/$arch}")"
trap 'wineserver -k 2>/dev/null' EXIT
work=$WINEPREFIX/drive_c/tallux
mkdir -p "$work"
cd "$work" || exit 1
cp "$dll" tallux.dll
cp "$here"/suite.vbs "$here"/byvalue.js "$here"/thrown.js "$here"/gone.vbs "$here"/cases.txt .
image='C:\tallux\tallux.dll'
win() { "$loader" "$@" 2>>wine.log | tr -d '\r'; }

# The identifiers, from the same data as the type library.
"$typeinfo_lines" >typeinfo.expected
libid=$(awk '$1 == "library" { print $3 }' typeinfo.expected)
clsid=$(awk '$1 == "type" && $2 == "Tallux" { print $5 }' typeinfo.expected)
iid=$(awk '$1 == "type" && $2 == "_Tallux" { print $5 }' typeinfo.expected)
diid=$(awk '$1 == "type" && $2 == "__Tallux" { print $5 }' typeinfo.expected)
lcid=$(awk '$1 == "library" { printf "%x", $5 }' typeinfo.expected)

# The C++ client, built by this architecture's compiler.
status=0
for program in client bad_calls; do
    "$cxx" -std=c++20 -O1 -Wall -Wextra -Werror -o $program.exe "$here/$program.cpp" -static \
        -lole32 -loleaut32 -luuid >>client-build.log 2>&1 || status=1
done
verdict $status "the C++ clients build" client-build.log

"$loader" "$sys\\regsvr32.exe" /s "$image" 2>>wine.log
status=$?
echo "regsvr32 exited $status" >regsvr32.log
verdict $status "regsvr32 /s registers" regsvr32.log

# reg_value KEY [NAME]: the data of a value (the default one without NAME).
reg_value() {
    local query=(query "$1" /ve)
    [[ -n ${2:-} ]] && query=(query "$1" /v "$2")
    win "$sys\\reg.exe" "${query[@]}" | awk -F'    ' '/REG_/ { print $4 }'
}
reg_exists() { win "$sys\\reg.exe" query "$1" >/dev/null; }

# key|value name|data (empty: the key only), entered machine-wide, in the
# view that this architecture's programs see.
keys=(
    "CLSID\\$clsid||Tallux"
    "CLSID\\$clsid\\InprocServer32||$image"
    "CLSID\\$clsid\\InprocServer32|ThreadingModel|Apartment"
    "CLSID\\$clsid\\ProgID||TALLUXLIB.Tallux.1"
    "CLSID\\$clsid\\VersionIndependentProgID||TALLUXLIB.Tallux"
    "CLSID\\$clsid\\TypeLib||$libid"
    "CLSID\\$clsid\\Version||1.0"
    "CLSID\\$clsid\\MiscStatus||148881"
    "CLSID\\$clsid\\ToolboxBitmap32||$image, 30000"
    "CLSID\\$clsid\\Control||"
    "CLSID\\$clsid\\Programmable||"
    "TALLUXLIB.Tallux\\CLSID||$clsid"
    "TALLUXLIB.Tallux\\CurVer||TALLUXLIB.Tallux.1"
    "TALLUXLIB.Tallux.1\\CLSID||$clsid"
    "TypeLib\\$libid\\1.0\\$lcid\\$typelib_platform||$image"
    "TypeLib\\$libid\\1.0\\0\\$typelib_platform||$image"
    "Interface\\$iid\\TypeLib||$libid"
)
check_keys() { # check_keys HKLM|HKCU LOG: every key of the table under ROOT\Software\Classes
    local row key name data
    : >"$2"
    for row in "${keys[@]}"; do
        IFS='|' read -r key name data <<<"$row"
        key="$1\\Software\\Classes\\$key"
        if ! reg_exists "$key"; then
            echo "missing: $key" >>"$2"
        elif [[ -n $data && $(reg_value "$key" "$name") != "$data" ]]; then
            echo "$key ${name:-(default)}: \"$(reg_value "$key" "$name")\", expected \"$data\"" >>"$2"
        fi
    done
    [[ ! -s $2 ]]
}
check_keys HKLM keys.log
verdict $? "the registry keys (${#keys[@]})" keys.log

# VBScript: its own checks, then every traced call against the Linux trace.
win "$sys\\cscript.exe" //nologo suite.vbs cases.txt >suite.out
grep -P '^check\t' suite.out | grep -vP '^check\t(ok|end)\t' >suite.failed
grep -qP '^check\tend\t' suite.out || echo "the suite did not run to its end" >>suite.failed
checks=$(grep -cP '^check\tok' suite.out)
[[ ! -s suite.failed ]]
verdict $? "VBScript: SupBarType, targets lacking or missing, refused calls ($checks checks)" \
    suite.failed
python3 "$here/trace.py" "$cli" cases.txt suite.out >suite.compared
verdict $? "VBScript: every method by reference matches the Linux trace and write-back" \
    suite.compared

# JScript: everything by value, a normalised code and an error raised.
status=0
: >byvalue.compared
for n in 7 15; do
    win "$sys\\cscript.exe" //nologo byvalue.js cases.txt $n >byvalue-$n.out
    python3 "$here/trace.py" "$cli" cases.txt byvalue-$n.out --case $n --by-value --untyped \
        --methods-only >>byvalue.compared || status=1
done
verdict $status "JScript: calls by value draw or raise as on Linux, nothing written back" \
    byvalue.compared
# The system's code page: a script in that code page, run under it, draws
# Code 11 whose check characters add up the character's code there (1251:
# 198, 936: 0xD6D0 and 950: 0xC657 as 16-bit signed numbers); Windows-1252's
# character of code 198 gives what 1251's does.
# locale|encoding|character|result and check characters
codepages=(
    "ru_RU.CP1251|CP1251|Ж|0	25"
    "zh_CN.GBK|GBK|中|0	,."
    "zh_TW.BIG5|BIG5|灣|0	(-"
    "en_US.UTF-8|CP1252|Æ|0	25"
)
: >codepage.compared
for row in "${codepages[@]}"; do
    IFS='|' read -r locale encoding character expected <<<"$row"
    sed "s/@CHARACTER@/$character/" "$here/codepage.vbs" | iconv -f UTF-8 -t "$encoding" >codepage.vbs
    got=$(LC_ALL=$locale LANG=$locale win "$sys\\cscript.exe" //nologo codepage.vbs)
    [[ $got == "check	$expected" ]] ||
        echo "$locale $character: \"$got\", expected \"check	$expected\"" >>codepage.compared
done
[[ ! -s codepage.compared ]]
verdict $? "the system's ANSI code page gives a character's code (1251, 936, 950, 1252)" \
    codepage.compared
win "$sys\\cscript.exe" //nologo thrown.js >thrown.out
grep -qP "^raised\t6\tOverflow: the target's Line raised -?[0-9]+ \\(" thrown.out
verdict $? "JScript: a target that throws raises 6, naming Line and the error" thrown.out

# The C++ client.
win client.exe typeinfo "$clsid" >typeinfo.out
diff -u typeinfo.expected typeinfo.out >typeinfo.diff
verdict $? "C++: the type information read through GetTypeInfo" typeinfo.diff
# Early-bound, and late-bound with typed variables: a check character
# written back, and an error raised.
for way in draw invoke; do
    status=0
    : >$way.compared
    for n in 4 15; do
        mapfile -t fields < <(grep -v '^#' cases.txt | awk -F'\t' -v n=$((n + 1)) \
            'NF { if (++i == n) for (f = 1; f <= NF; ++f) print $f }')
        {
            printf 'case\t%s\t%s\n' $n "${fields[0]}"
            if [[ $way == draw ]]; then
                win client.exe draw "$clsid" "$iid" "${fields[@]}"
            else
                win client.exe invoke "$clsid" "${fields[@]}"
            fi
        } >$way-$n.out
        python3 "$here/trace.py" "$cli" cases.txt $way-$n.out --case $n >>$way.compared || status=1
    done
    case $way in
    draw) what="C++: early-bound calls through the vtable match the Linux trace" ;;
    invoke) what="C++: Invoke with VT_BYREF | type arguments matches the Linux trace" ;;
    esac
    verdict $status "$what" $way.compared
done
win client.exe mta "$clsid" "$iid" >mta.out
grep -qxP 'result\tInteger:0\tString:CODE39W' mta.out
verdict $? "C++: a multithreaded apartment gets _Tallux through the standard marshaler" mta.out
win client.exe unload "$clsid" >unload.out
verdict $? "C++: DllCanUnloadNow is S_FALSE while an object lives, S_OK after" unload.out
win bad_calls.exe "$clsid" >bad_calls.out
grep -qx 'ok [0-9]*' bad_calls.out
verdict $? "C++: null pointers and malformed arguments get their HRESULT, the host lives" \
    bad_calls.out

# Unregistration removes every key and the class can no longer be created.
"$loader" "$sys\\regsvr32.exe" /u /s "$image" 2>>wine.log
status=$?
echo "regsvr32 /u exited $status" >unregister.log
"$loader" "$sys\\regsvr32.exe" /u /s "$image" 2>>wine.log ||
    echo "a second regsvr32 /u exited $?" >>unregister.log
for key in "CLSID\\$clsid" TALLUXLIB.Tallux TALLUXLIB.Tallux.1 "TypeLib\\$libid" \
    "Interface\\$iid" "Interface\\$diid"; do
    reg_exists "HKCR\\$key" && echo "left behind: HKCR\\$key" >>unregister.log
done
win "$sys\\cscript.exe" //nologo gone.vbs >gone.out
grep -qP '^check\t.*\t429$' gone.out ||
    echo "CreateObject after unregistration: not error 429: $(cat gone.out)" >>unregister.log
[[ $status -eq 0 && $(wc -l <unregister.log) -eq 1 ]]
verdict $? "regsvr32 /u /s removes every key, and again succeeds; CreateObject then fails with 429" \
    unregister.log

# Per-user registration (DllInstall "user"): the same keys under
# HKCU\Software\Classes and nothing under HKLM; /u /n /i:user takes them all
# away, also a second time. Wine 8 does not activate classes registered per
# user, so the control is not created here.
snapshot() { # snapshot HKLM|HKCU FILE: every class in both views
    rm -f export.reg
    "$loader64" regedit /E 'C:\tallux\export.reg' "$1\\Software\\Classes" 2>>wine.log
    iconv -f UTF-16 -t UTF-8 export.reg | tr -d '\r' >"$2"
}
loader64=$(command -v wine64 || echo /usr/lib/wine/wine64)
# A user's classes key, which Windows always has and a new Wine prefix lacks.
win "$sys\\reg.exe" add 'HKCU\Software\Classes' /f >/dev/null
snapshot HKEY_LOCAL_MACHINE machine-before.reg
snapshot HKEY_CURRENT_USER user-before.reg
"$loader" "$sys\\regsvr32.exe" /s /n /i:user "$image" 2>>wine.log
status=$?
check_keys HKCU user-keys.log
[[ $status -eq 0 ]] || echo "regsvr32 /n /i:user exited $status" >>user-keys.log
snapshot HKEY_LOCAL_MACHINE machine-after.reg
diff -u machine-before.reg machine-after.reg >>user-keys.log
[[ ! -s user-keys.log ]]
verdict $? "regsvr32 /n /i:user enters every key under HKCU, none under HKLM" user-keys.log
: >user-gone.log
for time in first second; do
    "$loader" "$sys\\regsvr32.exe" /s /u /n /i:user "$image" 2>>wine.log ||
        echo "the $time regsvr32 /u /n /i:user exited $?" >>user-gone.log
    snapshot HKEY_CURRENT_USER user-after.reg
    diff -u user-before.reg user-after.reg >>user-gone.log
done
[[ ! -s user-gone.log ]]
verdict $? "regsvr32 /u /n /i:user leaves HKCU as it was, at once and again" user-gone.log

finish_run

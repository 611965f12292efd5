#!/usr/bin/env bash
# Tests HdcTarget of one architecture under Wine, in a private prefix: a C++
# program linked with libtallux_gdi.a draws every symbology into DIB sections
# and checks its bad input (hdc_draw.cpp); hdc_check.py then decodes the
# pictures and compares their bars with the cairo target's.
# Usage: hdc_run.sh x64|x86 BUILD_DIR TALLUX_COMMAND PREFIX
#   BUILD_DIR is the cross build holding libtallux_gdi.a (scripts/windows);
#   TALLUX_COMMAND the Linux command with the cairo targets; PREFIX the Wine
#   prefix to create afresh.
set -uo pipefail
[[ $# -eq 4 ]] || { echo "usage: $0 x64|x86 BUILD_DIR TALLUX_COMMAND PREFIX" >&2; exit 64; }
arch=$1 build=$(realpath -m "$2") cli=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/prefix.sh"
wine_arch "$arch" "$build/libtallux_gdi.a"

wine_prefix "$(realpath -m "$4")"
trap 'wineserver -k 2>/dev/null' EXIT
work=$WINEPREFIX/drive_c/hdc
mkdir -p "$work"
cd "$work" || exit 1
failures=0

"$cxx" -std=c++20 -O1 -Wall -Wextra -Werror -I"$root/include" -I"$build/include" \
    -o hdc_draw.exe "$here/hdc_draw.cpp" "$build/libtallux_gdi.a" -static -lgdi32 >build.log 2>&1
verdict $? "a C++ program builds with libtallux_gdi.a" build.log

cp "$here/hdc_cases.txt" .
"$loader" hdc_draw.exe hdc_cases.txt . 2>>wine.log | tr -d '\r' >draw.out
grep -P '^check\t' draw.out | grep -vP '^check\t(ok|end)\b' >draw.failed
grep -qP '^check\tend' draw.out || echo "hdc_draw.exe did not run to its end" >>draw.failed
[[ ! -s draw.failed ]]
verdict $? "a null HDC gives 91, a refused call 5, every DC keeps its settings; member rules" \
    draw.failed

python3 "$here/hdc_check.py" "$cli" hdc_cases.txt draw.out . >check.out 2>&1
verdict $? "$(tail -n 1 check.out): decoded where the readers can, bars as cairo draws them" \
    check.out

finish_run

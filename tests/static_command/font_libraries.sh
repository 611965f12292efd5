#!/bin/sh
# The command as shipped starts without fontconfig and FreeType and loads
# them at its first call into either. Where one cannot be loaded (here a
# libfontconfig.so.1 without its functions comes first), the command says
# so, exits 69 and writes nothing; with the real one, the same run draws.
# Usage: font_libraries.sh COMMAND WORK
set -eu
command=$1
work=$2
fail() { echo "font_libraries: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work/lib"

if readelf -d "$command" | grep NEEDED | grep -iE 'fontconfig|freetype|expat|png|brotli'; then
    fail "the command loads these when it starts"
fi

echo 'int tallux_nothing;' >"$work/empty.c"
cc -shared -fPIC -Wl,-soname,libfontconfig.so.1 -o "$work/lib/libfontconfig.so.1" "$work/empty.c"
# A family that is not generic is looked up in fontconfig, for its warning.
set -- draw BarEAN13 --font "DejaVu Serif" --target svg
export TALLUX_FONT_CACHE=0 ASAN_OPTIONS=detect_leaks=0
status=0
LD_LIBRARY_PATH="$work/lib" "$command" "$@" -o "$work/a.svg" >/dev/null 2>"$work/err" || status=$?
[ "$status" -eq 69 ] || fail "exit status $status, not 69: $(cat "$work/err")"
grep -q "cannot load FcPatternCreate from libfontconfig.so.1" "$work/err" ||
    fail "no clear message: $(cat "$work/err")"
[ ! -e "$work/a.svg" ] || fail "a file was written"

"$command" "$@" -o "$work/b.svg" >/dev/null 2>&1 || fail "the run with the real library failed"
grep -q '<text' "$work/b.svg" || fail "the run with the real library drew no text"

#!/bin/sh
# The command loads its text module only from its own folder, and never
# leaves text silently missing. Run by its bare name from PATH, in a folder
# that holds an entry named tallux and a planted module, with planted modules
# in PATH's other folders, and with an empty store: no planted code runs, and
# the text is read back from an SVG and a PDF. A copy of the command with no
# module beside it fails with a message, writing nothing, and so does the
# command where fontconfig finds no font at all.
# Usage: own_folder.sh COMMAND WORK
set -eu
command=$(realpath "$1")
work=$2
rm -rf "$work" && mkdir -p "$work/here" "$work/other/tallux" "$work/bin" "$work/cache"
# The lone copy lies outside the build, whose programs may use the build's module.
lone=$(mktemp -d)
trap 'rm -rf "$lone"' EXIT
fail() { echo "own_folder: $*" >&2; exit 1; }

mark="$work/planted-code-ran"
cat >"$work/planted.c" <<C
#include <stdio.h>
__attribute__((constructor)) static void planted(void)
{
    FILE* f = fopen("$mark", "a");
    if (f) fclose(f);
}
C
cc -shared -fPIC -o "$work/planted.so" "$work/planted.c"
for place in here/tallux-shaper.so other/tallux-shaper.so other/tallux/tallux-shaper.so \
    bin/tallux-shaper.so; do
    cp "$work/planted.so" "$work/$place"
done
touch "$work/here/tallux"

cd "$work/here"
export PATH="$work/other:$(dirname "$command"):$work/bin:$PATH" ASAN_OPTIONS=detect_leaks=0
for store in off cold; do
    if [ $store = off ]; then export TALLUX_FONT_CACHE=0; else
        unset TALLUX_FONT_CACHE; export XDG_CACHE_HOME="$work/cache/$store"; fi
    tallux draw BarEAN13 --code 978030640615 --target svg -o "$work/$store.svg" >/dev/null
    tallux draw BarEAN13 --code 978030640615 --target pdf -o "$work/$store.pdf" >/dev/null
    [ ! -e "$mark" ] || fail "a planted module was loaded (store $store)"
    [ "$(grep -c '<text' "$work/$store.svg")" -ge 13 ] || fail "the SVG lacks its text (store $store)"
    pdftotext "$work/$store.pdf" - | tr -d ' \n' | grep -q 03064061 ||
        fail "the PDF lacks its text (store $store)"
done

# Alone, without its module: a clear failure, no file, and --text 0 still draws.
cp "$command" "$lone/tallux"
export TALLUX_FONT_CACHE=0
if "$lone/tallux" draw BarEAN13 --target svg -o "$work/lone.svg" 2>"$work/lone.err"; then
    fail "a command without its text module drew without text"
fi
grep -q "text cannot be drawn" "$work/lone.err" || fail "no message: $(cat "$work/lone.err")"
[ ! -e "$work/lone.svg" ] || fail "a file was written without its text"
"$lone/tallux" draw BarEAN13 --text 0 --target svg -o "$work/lone.svg" >/dev/null

mkdir -p "$work/no-fonts"
printf '<fontconfig><dir>%s</dir><cachedir>%s</cachedir></fontconfig>\n' "$work/no-fonts" \
    "$work/no-fonts" >"$work/no-fonts.conf"
if FONTCONFIG_FILE="$work/no-fonts.conf" tallux draw BarEAN13 -o "$work/no-fonts.png" \
    2>"$work/no-fonts.err"; then
    fail "drew without any font"
fi
grep -q "text cannot be drawn: fontconfig finds no font" "$work/no-fonts.err" || fail "no message: $(cat "$work/no-fonts.err")"
[ ! -e "$work/no-fonts.png" ] || fail "a file was written without a font"
[ ! -e "$mark" ] || fail "a planted module was loaded"
echo "own_folder: $command loads only its own module"

#!/bin/sh
# The command as shipped, with cairo and pixman linked in, loads neither
# shared, nor the X libraries they bring, and draws the same bytes as the
# test build's command: with the store of shaped text off, cold and warm.
#   same_bytes.sh STATIC_COMMAND REFERENCE_COMMAND WORK_FOLDER
set -eu
static=$1 reference=$2 work=$3
if readelf -d "$static" | grep NEEDED | grep -iE 'cairo|pixman|x11|xcb'; then
    echo "the command needs the shared cairo"
    exit 1
fi
rm -rf "$work"
export SOURCE_DATE_EPOCH=1700000000

draw() { # COMMAND FOLDER
    mkdir -p "$2"
    for f in png svg pdf ps; do
        "$1" draw BarEAN13 --target $f -o "$2/ean13.$f" >/dev/null
        # Control characters, which Pango draws as boxes of their codes.
        "$1" draw BarCODE128 --code "$(printf 'AA\tB\001C')" --text 1 --target $f \
            -o "$2/controls.$f" >/dev/null
        "$1" draw BarCODE128 --code "BCFF 123" --text 1 --bold 1 --font "Noto Sans CJK TC" \
            --target $f -o "$2/cjk.$f" >/dev/null
    done
    printf 'BarEAN13 400638133393\nBarCODE39 CODE39\n' | "$1" batch --sheet "$2/sheet.pdf" 2>/dev/null
}

TALLUX_FONT_CACHE=0 draw "$reference" "$work/reference"
TALLUX_FONT_CACHE=0 draw "$static" "$work/off"
XDG_CACHE_HOME="$work/cache" draw "$static" "$work/cold"
XDG_CACHE_HOME="$work/cache" draw "$static" "$work/warm"
for run in off cold warm; do diff -r "$work/reference" "$work/$run"; done

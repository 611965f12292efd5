#!/bin/sh
# /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N are written through
# the descriptor they name, whatever it leads to: a log that the shell opened
# for appending keeps its earlier lines, and nothing is renamed over it.
# Usage: descriptors.sh COMMAND WORK
set -eu
tallux=$1
work=$2
rm -rf "$work" && mkdir -p "$work"
export TALLUX_FONT_CACHE=0 ASAN_OPTIONS=detect_leaks=0
fail() { echo "descriptors: $*" >&2; exit 1; }
draw() { "$tallux" draw BarCODE39 --code AB --text 0 --target svg "$@"; }

for name in /dev/stdout /dev/fd/1 /proc/self/fd/1 /dev/stderr /dev/fd/3 /proc/self/fd/3; do
    log="$work/log"
    printf 'earlier line\n' >"$log"
    inode=$(stat -c %i "$log")
    case $name in
    */3) draw -o $name 3>>"$log" >/dev/null 2>&1 ;;
    /dev/stderr) draw -o $name 2>>"$log" >/dev/null ;;
    *) draw -o $name >>"$log" 2>/dev/null ;;
    esac
    [ "$(head -n 1 "$log")" = "earlier line" ] || fail "$name lost the log's lines"
    [ "$(stat -c %i "$log")" = "$inode" ] || fail "$name replaced the log"
    grep -q '</svg>' "$log" || fail "$name wrote no drawing"
    # Standard output holds the drawing alone; its summary goes aside.
    case $name in */1 | /dev/stdout) [ "$(tail -n 1 "$log")" = "</svg>" ] ||
        fail "$name: something follows the drawing" ;; esac
done
if draw -o /dev/fd/9 >/dev/null 2>"$work/err"; then fail "a closed descriptor was written"; fi
grep -q "cannot write '/dev/fd/9'" "$work/err" || fail "no message: $(cat "$work/err")"
echo "descriptors: every name of an open descriptor is written through it"

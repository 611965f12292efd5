#!/bin/sh
# The README's layout table is true: every folder it names exists, and every
# folder of the tree, every back-end under src/targets/ and every public
# header is named in it.
# Usage: layout.sh SOURCE_DIR
set -eu
cd "$1"
table=$(sed -n '/^## Layout/,/^## /p' README.md | grep '^| `')
fail=0
missing() { echo "layout: $*" >&2; fail=1; }

for folder in $(printf '%s\n' "$table" | sed -n 's/^| `\([^`]*\)`.*/\1/p'); do
    [ -d "$folder" ] || missing "the table names $folder, which does not exist"
done
for folder in */ src/*/ include/tallux/*/; do
    case $folder in build/ | out/ | node_modules/) continue ;; esac
    printf '%s\n' "$table" | grep -qF "\`$folder" || missing "the table lacks $folder"
done
for folder in src/targets/*/ src/automation/*/; do
    name=$(basename "$folder")/
    printf '%s\n' "$table" | grep -qF "\`$name\`" || missing "the table lacks $folder"
done
for header in include/tallux/*.h; do
    name=$(basename "$header")
    printf '%s\n' "$table" | grep -qF "\`$name\`" || missing "the table lacks $header"
done
[ $fail -eq 0 ] && echo "layout: the README's table matches the tree"
exit $fail

#!/bin/sh
# The manual page and the bash completion say what the command does: every
# option that `draw --help` and `batch --help` list is in the manual page,
# every exit status that `--help` gives is under EXIT STATUS, `draw --help`
# is the draw help, and the completion offers every target and unit.
# Usage: agree.sh COMMAND SOURCE_DIR
set -eu
tallux=$1
man=$2/docs/tallux.1
completion=$2/cli/tallux.bash-completion
fail=0
missing() { echo "agree: $*" >&2; fail=1; }

for command in draw batch; do
    "$tallux" $command --help | grep -oE '^ +(--[a-z0-9-]+|-[a-z])' | tr -d ' ' | sort -u |
        while read -r option; do
            escaped=$(printf '%s' "$option" | sed 's/-/\\\\-/g')
            grep -q -- "$escaped\\b" "$man" || { echo "$command $option"; }
        done >"${TMPDIR:-/tmp}/agree-missing.$$"
    while read -r line; do missing "the manual page lacks $line"; done <"${TMPDIR:-/tmp}/agree-missing.$$"
    rm -f "${TMPDIR:-/tmp}/agree-missing.$$"
done

statuses=$("$tallux" --help | sed -n '/^Exit status:/,/^$/p' | grep -oE '(^|[ ;:])[0-9]+ ' | tr -dc '0-9\n ' | xargs)
[ -n "$statuses" ] || missing "--help gives no exit statuses"
exits=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH /p' "$man")
for n in $statuses; do
    printf '%s' "$exits" | grep -qE "(^|[^0-9])$n([^0-9]|$)" || missing "EXIT STATUS lacks $n"
done

"$tallux" draw --help | head -n 1 | grep -q '^Usage: tallux draw' || missing "draw --help is not the draw help"

targets=$("$tallux" draw --help | sed -n 's/^ *--target KIND *//p' | grep -oE '[a-z]+' | grep -vE '^(or|default|by|o|s|extension|name)$' | sort -u | xargs)
for word in $targets; do
    grep -E -- '--target\)' "$completion" | grep -qw "$word" || missing "the completion lacks --target $word"
done
for word in twips pt px mm; do
    grep -E -- '--units\)' "$completion" | grep -qw "$word" || missing "the completion lacks --units $word"
done
[ $fail -eq 0 ] && echo "agree: the manual page and the completion cover the command"
exit $fail

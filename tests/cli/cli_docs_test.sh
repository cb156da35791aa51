#!/usr/bin/env bash
# The command line's own help, its manual page, its bash completion and docs/cli.md agree: every
# command the program knows has a synopsis line in the manual page equal to what
# `channelsettings-cli COMMAND --help` prints, a section with each of its options and an example,
# a heading in docs/cli.md, and the completion offers the command and each of its options. The
# manual pages render without a warning from man. Then the completion is driven as bash drives it:
# commands, options, the files each command takes and the serial ports after --port.
# Usage: cli_docs_test.sh CLI MAN_FOLDER COMPLETION_FILE DOCS_CLI_MD
set -uo pipefail
cli=$(realpath "$1") man_folder=$2 completion=$3 contract=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8 MANWIDTH=250

# The manual pages as a reader sees them, and what man says about their markup.
for page in channelsettings channelsettings-cli; do
    warnings=$(man --warnings -E UTF-8 -l -Tutf8 -Z "$man_folder/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page.1: $warnings"
done
man -E ascii -l "$man_folder/channelsettings-cli.1" 2>/dev/null | col -b >"$work/page"
[ -s "$work/page" ] || { fail "channelsettings-cli.1 does not render"; exit 1; }
# The roff source with its escaped hyphens plain, for finding a command's section.
sed 's/\\-/-/g' "$man_folder/channelsettings-cli.1" >"$work/source"

"$cli" --help 2>"$work/help" >/dev/null || fail "--help does not exit 0"
mapfile -t commands < <(sed -n 's/^  \([a-z]*\) .*/\1/p; s/^  \([a-z]*\)$/\1/p' "$work/help")
[ "${#commands[@]}" -ge 12 ] || fail "--help lists only ${#commands[@]} commands: $(cat "$work/help")"

# shellcheck source=/dev/null
source "$completion"
# Completes the words given (the last one is being typed) in folder $work/files.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    (cd "$work/files" && { _channelsettings_cli 2>/dev/null; printf '%s\n' "${COMPREPLY[@]}"; }) | grep -v '^$' | sort
}
mkdir -p "$work/files"
complete_words "$cli" '' >"$work/offered"

for command in "${commands[@]}"; do
    usage=$("$cli" "$command" --help 2>&1 >/dev/null) || fail "$command --help does not exit 0"
    listed=$(grep "^  $command\\b" "$work/help")
    [ "$usage" = "usage: channelsettings-cli ${listed#  }" ] ||
        fail "$command: --help and $command --help differ: '$listed' / '$usage'"
    # The synopsis without the explanation some commands add after two blanks.
    synopsis=${usage#usage: }
    synopsis=${synopsis%%  (*}
    grep -qxF "$synopsis" <(sed 's/^ *//; s/ *$//' "$work/page") ||
        fail "$command: the manual page has no synopsis line '$synopsis'"
    section=$(awk -v cmd="$command" '$1 == ".SS" { inside = ($2 == cmd) } $1 == ".SH" { inside = 0 } inside' "$work/source")
    [ -n "$section" ] || fail "$command: no section in the manual page"
    grep -q "^channelsettings-cli $command\\b" <<<"$section" || fail "$command: no example in its manual section"
    grep -q "^## $command\\b" "$contract" || fail "$command: no heading in docs/cli.md"
    grep -qx "$command" "$work/offered" || fail "$command: not completed as a command"

    complete_words "$cli" "$command" -- >"$work/options"
    for option in $(grep -o -- '--[a-z-]*' <<<"$synopsis" | sort -u); do
        grep -qxF -- "$option" "$work/options" || fail "$command: the completion does not offer $option"
        grep -qF -- "$option" <<<"$section" || fail "$command: $option is not described in its manual section"
    done
    for option in $(grep -v -- '^--help$' "$work/options"); do
        grep -qF -- "$option" <<<"$synopsis" || fail "$command: the completion offers $option, which it does not take"
    done
done

# Files by what each command takes; folders are always offered to go into.
touch "$work/files/a.dsp" "$work/files/b.DSX" "$work/files/c.csv" "$work/files/d.txt" "$work/files/e.jpg"
mkdir -p "$work/files/sub"
check_completion() {
    local expected=$1
    shift
    local got
    got=$(complete_words "$@" | paste -sd' ')
    [ "$got" = "$expected" ] || fail "completing '$*': '$got', expected '$expected'"
}
check_completion "a.dsp sub" "$cli" info ''
check_completion "b.DSX sub" "$cli" dsx ''
check_completion "b.DSX sub" "$cli" import a.dsp ''
check_completion "a.dsp c.csv sub" "$cli" order a.dsp ''
check_completion "a.dsp sub" "$cli" order a.dsp c.csv --out ''
check_completion "e.jpg sub" "$cli" pictures a.dsp --pack --logo ''
check_completion "sub" "$cli" receive --port /dev/ttyS0 --all --to ''
check_completion "a.dsp sub" "$cli" send --port /dev/ttyS0 ''
check_completion "csv json" "$cli" channels a.dsp --format ''
check_completion "--no-command" "$cli" send --no
check_completion "Polski.lng" "$cli" lang P

# Serial ports: those the system lists with a device behind them, and the extra ones.
export CHANNELSETTINGS_EXTRA_PORTS="$work/rx:$work/other"
check_completion "$work/rx" "$cli" send --port "$work/r"
complete_words "$cli" receive --port '' >"$work/ports"
for entry in /sys/class/tty/*/device; do
    [ -e "$entry" ] || continue
    name=${entry%/device}
    if [ "$(cat "$name/type" 2>/dev/null)" = 0 ]; then
        grep -qx "/dev/${name##*/}" "$work/ports" && fail "--port offers the empty UART slot /dev/${name##*/}"
    else
        grep -qx "/dev/${name##*/}" "$work/ports" || fail "--port does not offer /dev/${name##*/}"
    fi
done
grep -qx "$work/other" "$work/ports" || fail "--port does not offer CHANNELSETTINGS_EXTRA_PORTS"

[ "$failures" -eq 0 ] || exit 1
echo "help, manual page, completion and docs/cli.md agree on ${#commands[@]} commands"

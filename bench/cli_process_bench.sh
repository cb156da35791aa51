#!/usr/bin/env bash
# Whole-process timings of channelsettings-cli against the plainest programs doing comparable work
# on the same file: `info` against `cksum` (read the file once), `save --out` against `cp` (read
# and write it once). Each pair runs back to back, the order alternating from pair to pair, so
# that drift of the machine hits both sides alike. Prints the medians and the ratios.
#
# `save` makes its file durable (fsync of the file and its folder) before renaming it into
# place; `cp` does not. The "cp+sync" line adds `sync FILE` after `cp`, to show how much of the
# difference is that durability.
#
# usage: bench/cli_process_bench.sh [BUILD_DIR] [PAIRS]    (defaults: build, 201)
set -euo pipefail

build=${1:-build}
pairs=${2:-201}
cli=$build/bin/channelsettings-cli
demo=$build/data/demo.dsp
for f in "$cli" "$demo"; do
    [[ -e $f ]] || { echo "missing $f (build the project first)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$demo" "$work/demo.dsp"
export HOME=$work

# Microseconds one command takes, from the shell's own clock (no extra process).
elapsed() {
    local start=$EPOCHREALTIME
    "$@" > /dev/null 2>&1 < /dev/null
    local end=$EPOCHREALTIME
    echo $(( 10#${end/./} - 10#${start/./} ))
}
cpSync() { cp "$1" "$2" && sync "$2"; }

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# pair NAME "A command" "B command": fills the arrays a_NAME and b_NAME.
pair() {
    local name=$1 i ta tb
    local -n as=a_$name bs=b_$name
    as=(); bs=()
    eval "local -a cmdA=($2) cmdB=($3)"
    for ((i = 0; i < 3; ++i)); do elapsed "${cmdA[@]}" > /dev/null; elapsed "${cmdB[@]}" > /dev/null; done  # warm-up
    for ((i = 0; i < pairs; ++i)); do
        if ((i % 2 == 0)); then
            ta=$(elapsed "${cmdA[@]}"); tb=$(elapsed "${cmdB[@]}")
        else
            tb=$(elapsed "${cmdB[@]}"); ta=$(elapsed "${cmdA[@]}")
        fi
        as+=("$ta"); bs+=("$tb")
    done
}

report() {
    local label=$1 a=$2 b=$3
    local ma mb
    ma=$(median "${!a}")
    mb=$(median "${!b}")
    awk -v l="$label" -v a="$ma" -v b="$mb" \
        'BEGIN { printf "%-34s %8.0f us  vs %8.0f us   ratio %.2f\n", l, a, b, a / b }'
}

pair info "'$cli' info '$work/demo.dsp'" "cksum '$work/demo.dsp'"
pair save "'$cli' save '$work/demo.dsp' --out '$work/saved.dsp'" "cp '$work/demo.dsp' '$work/copy.dsp'"
pair durable "'$cli' save '$work/demo.dsp' --out '$work/saved.dsp'" "cpSync '$work/demo.dsp' '$work/copy.dsp'"

echo "medians of $pairs alternating pairs, $(stat -c %s "$demo") byte demo image"
report "info        vs cksum" 'a_info[@]' 'b_info[@]'
report "save --out  vs cp" 'a_save[@]' 'b_save[@]'
report "save --out  vs cp+sync" 'a_durable[@]' 'b_durable[@]'

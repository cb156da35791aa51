#!/usr/bin/env bash
# Start of the desktop program on the demo database until its main window is mapped, against a
# plain Qt 6 QMainWindow holding an 8000-row QTableView, on one Xvfb server without a window
# manager. Each pair runs back to back, the order alternating from pair to pair; prints the
# medians and the ratio. The settings of an earlier run are seeded first, so the program opens
# straight into its main window, as on any later day.
#
# usage: bench/window_start_bench.sh [BUILD_DIR] [PAIRS]    (defaults: build, 41)
set -euo pipefail

build=${1:-build}
pairs=${2:-41}
bin=$build/bin
demo=$build/data/demo.dsp
for f in "$bin/channelsettings" "$bin/bench_map_watch" "$bin/bench_plain_window" "$bin/bench_seed_settings" "$demo"; do
    [[ -e $f ]] || { echo "missing $f (build the project first)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses; Xvfb writes it to the descriptor once it listens.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1280x1024x24 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 -u "$display_fd" display || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$display
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export QT_QPA_PLATFORM=xcb
"$bin/bench_seed_settings"
cp "$demo" "$work/demo.dsp"

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

watch() {
    "$bin/bench_map_watch" "$@" 2> "$work/watch.log" || { echo "no window was mapped: $*" >&2; cat "$work/watch.log" >&2; exit 1; }
}
run_ours() { watch "$bin/channelsettings" "$work/demo.dsp"; }
run_plain() { watch "$bin/bench_plain_window"; }

ours=(); plain=(); ours_faults=(); plain_faults=()
take() {  # take ARRAY FAULTS_ARRAY LINE
    local -n times=$1 faults=$2
    local line=$3
    times+=("${line%% *}")
    line=${line#* }
    faults+=("${line%% *}")
}
for ((i = 0; i < 3; ++i)); do run_ours > /dev/null; run_plain > /dev/null; done  # warm-up
for ((i = 0; i < pairs; ++i)); do
    if ((i % 2 == 0)); then
        a=$(run_ours); b=$(run_plain)
    else
        b=$(run_plain); a=$(run_ours)
    fi
    take ours ours_faults "$a"
    take plain plain_faults "$b"
done
mo=$(median "${ours[@]}")
mp=$(median "${plain[@]}")
echo "medians of $pairs alternating pairs, start to the first mapped window"
awk -v a="$mo" -v b="$mp" -v fa="$(median "${ours_faults[@]}")" -v fb="$(median "${plain_faults[@]}")" \
    'BEGIN { printf "%-34s %8.0f us  vs %8.0f us   ratio %.2f   page faults %d vs %d\n", "channelsettings vs plain window", a, b, a / b, fa, fb }'

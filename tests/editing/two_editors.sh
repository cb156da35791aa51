#!/usr/bin/env bash
# Two editor processes on one X server of their own: one copies its channels, the other pastes,
# saves and checks what it saved. Usage: two_editors.sh <clipboard peer program>
set -euo pipefail
peer=$1
work=$(mktemp -d)
xvfb_pid=""
copy_pid=""
cleanup() {
  [ -n "$copy_pid" ] && kill "$copy_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

command -v Xvfb >/dev/null || { echo "Xvfb is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

"$peer" copy "$work" &
copy_pid=$!
status=0
"$peer" paste "$work" || status=$?
wait "$copy_pid" || status=$?
copy_pid=""
exit $status

#!/usr/bin/env bash
# Runs a command on an X server of its own (Xvfb, no window manager) with Qt on its X11 platform.
# Usage: with_xvfb.sh <program> [arguments...]
set -euo pipefail
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
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
status=0
"$@" || status=$?
exit $status

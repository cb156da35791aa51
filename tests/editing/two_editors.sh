#!/usr/bin/env bash
# Two editor processes on one X server: one copies its channels, the other pastes, saves and
# checks what it saved. Run through tests/support/with_xvfb.sh.
# Usage: two_editors.sh <clipboard peer program>
set -euo pipefail
peer=$1
work=$(mktemp -d)
copy_pid=""
cleanup() {
  [ -n "$copy_pid" ] && kill "$copy_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$peer" copy "$work" &
copy_pid=$!
status=0
"$peer" paste "$work" || status=$?
wait "$copy_pid" || status=$?
copy_pid=""
exit $status

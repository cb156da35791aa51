#!/usr/bin/env bash
# `channelsettings --help` prints the synopsis of its manual page, line for line, and exits 0
# without a display.
# Usage: help_test.sh PROGRAM MANUAL_PAGE
set -uo pipefail
program=$1 page=$2
help=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" --help) || { echo "FAIL: --help did not exit 0"; exit 1; }
synopsis=$(sed -n '/^\.SH SYNOPSIS/,/^\.SH/p' "$page" | sed -n 's/\\fB//g; s/\\fI//g; s/\\fR//g; /^channelsettings/p')
printed=$(sed 's/^usage: //; s/^ *//' <<<"$help")
if [ "$printed" != "$synopsis" ]; then
    echo "FAIL: --help printed:"; echo "$help"; echo "the manual page's synopsis is:"; echo "$synopsis"; exit 1
fi
echo "--help matches the manual page"

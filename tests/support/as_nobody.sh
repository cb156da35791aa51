#!/usr/bin/env bash
# Runs a command as the unprivileged user 65534 when started as root, so that what root would
# not notice (unreadable files, folders it may not write) is met as a user meets it.
# Usage: as_nobody.sh <program> [arguments...]
set -euo pipefail
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "setpriv is missing (util-linux)" >&2; exit 1; }
  exec setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
fi
exec "$@"

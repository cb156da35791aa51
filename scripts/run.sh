#!/usr/bin/env bash
# Builds everything and starts the editor on the bundled demo database.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
demo=build/data/demo.dsp
if [ -x build/bin/channelsettings ]; then
  exec build/bin/channelsettings "$demo"
fi
exec build/bin/channelsettings-cli info "$demo"

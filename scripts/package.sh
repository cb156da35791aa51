#!/usr/bin/env bash
# Builds the main flavour and makes the Debian package from it with CPack:
# build/package/channelsettings_<version>_<arch>.deb. Progress goes to standard error, the
# package's path to standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >&2
rm -f build/package/channelsettings_*.deb
(cd build && cpack -G DEB) >&2
ls build/package/channelsettings_*.deb

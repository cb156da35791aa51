#!/usr/bin/env bash
# Configures and builds the main flavour into build/ (installs missing packages first).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
source scripts/compiler-cache.sh
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${compilers[@]}" "${build_flags[@]}" "${cache_launcher[@]}"
fi
cmake --build build

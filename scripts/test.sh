#!/usr/bin/env bash
# Builds and runs every test: the fuzz targets (clang, ASan+UBSan) for a short run each, the
# threaded link tests under ThreadSanitizer, lintian on the Debian package, then every unit, window,
# link and package test of the main build (last, so its summary closes the run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
source scripts/compiler-cache.sh
jobs=$(nproc)
# Most link and window tests spend their time waiting on a simulated line or a protocol's
# time-out, not on the processor: four at a time per core keep both busy.
test_jobs=$((jobs * 4))

echo "== fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)"
if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCS_FUZZ=ON "${build_flags[@]}" "${cache_launcher[@]}"
fi
cmake --build build-fuzz
ctest --test-dir build-fuzz -L fuzz --output-on-failure -j "$jobs" --no-tests=error

echo "== link tests (ThreadSanitizer)"
if [ ! -f build-tsan/build.ninja ]; then
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCS_TSAN=ON "${build_flags[@]}" "${cache_launcher[@]}"
fi
cmake --build build-tsan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan -L tsan --output-on-failure -j "$test_jobs" --no-tests=error --timeout 900

echo "== Debian package (lintian: errors fail the run, warnings are listed)"
deb=$(scripts/package.sh | tail -1)
lintian --fail-on error --display-info "$deb"

echo "== tests (main build)"
ctest --test-dir build --output-on-failure -j "$test_jobs" --timeout 900 --no-tests=error

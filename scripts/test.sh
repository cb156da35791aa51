#!/usr/bin/env bash
# Builds and runs every test: every unit, window, link and package test of the main build; the
# fuzz targets (clang, ASan+UBSan) for a short run each; the threaded link tests under
# ThreadSanitizer; lintian on the Debian package.
#
# The main build's tests spend their time waiting on simulated lines and protocol time-outs, not
# on the processor, so they run in the background while the sanitizer flavours build and run,
# which keep the processors busy. Their report is printed last, so its summary closes the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
source scripts/compiler-cache.sh
jobs=$(nproc)
# Four waiting tests at a time per core keep both busy.
test_jobs=$((jobs * 4))

main_log=$(mktemp)
main_tests=
stop_main_tests() {
  if [ -n "$main_tests" ] && kill -0 "$main_tests" 2>/dev/null; then
    kill -TERM -- "-$main_tests" 2>/dev/null || kill -TERM "$main_tests" 2>/dev/null || true
  fi
  rm -f "$main_log"
}
trap stop_main_tests EXIT

echo "== tests (main build): started in the background, their report follows at the end"
# A process group of its own, so that an interrupted run stops every test it started.
set -m
ctest --test-dir build --output-on-failure -j "$test_jobs" --timeout 900 --no-tests=error >"$main_log" 2>&1 &
main_tests=$!
set +m

failed=()
phase() {
  local name=$1
  shift
  if ! "$@"; then
    failed+=("$name")
  fi
}

fuzz() {
  if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCS_FUZZ=ON "${build_flags[@]}" "${cache_launcher[@]}"
  fi
  cmake --build build-fuzz &&
    ctest --test-dir build-fuzz -L fuzz --output-on-failure -j "$jobs" --no-tests=error
}

thread_sanitizer() {
  if [ ! -f build-tsan/build.ninja ]; then
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCS_TSAN=ON "${build_flags[@]}" "${cache_launcher[@]}"
  fi
  cmake --build build-tsan &&
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
      ctest --test-dir build-tsan -L tsan --output-on-failure -j "$test_jobs" --no-tests=error --timeout 900
}

package() {
  local deb
  deb=$(scripts/package.sh | tail -1) && lintian --fail-on error --display-info "$deb"
}

echo "== fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)"
phase "fuzz targets" fuzz
echo "== link tests (ThreadSanitizer)"
phase "ThreadSanitizer link tests" thread_sanitizer
echo "== Debian package (lintian: errors fail the run, warnings are listed)"
phase "Debian package" package

echo "== tests (main build)"
main_status=0
wait "$main_tests" || main_status=$?
main_tests=
cat "$main_log"
if [ "$main_status" -ne 0 ]; then
  failed+=("main build tests")
fi
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}" >&2
  exit 1
fi

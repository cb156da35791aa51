#!/usr/bin/env bash
# Builds and runs every test: every unit, window, link and package test of the main build; the
# threaded link tests under ThreadSanitizer; the fuzz targets (clang, ASan+UBSan) for a short run
# each; lintian on the Debian package.
#
# The test suites spend their time waiting on simulated lines and protocol time-outs, not on the
# processor, so they run in the background while the next flavour builds or the fuzz targets
# run, which keep the processors busy. Their reports are printed at the end, the main build's
# last, so that its summary closes the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
source scripts/compiler-cache.sh
jobs=$(nproc)
# Four waiting tests at a time per core keep both busy.
test_jobs=$((jobs * 4))

logs=$(mktemp -d)
background=()  # "pid name log" of the suites still running
stop_background() {
  local entry pid
  for entry in "${background[@]}"; do
    pid=${entry%% *}
    kill -TERM -- "-$pid" 2>/dev/null || true
  done
  rm -rf "$logs"
}
trap stop_background EXIT

failed=()

# in_background NAME COMMAND...: runs a test suite in a process group of its own (so that an
# interrupted run stops every test it started), its report kept for the end.
in_background() {
  local name=$1 log
  shift
  log="$logs/${#background[@]}.log"
  echo "== $name: started in the background, the report follows at the end"
  set -m
  "$@" >"$log" 2>&1 &
  set +m
  background+=("$! $log $name")
}

# Waits for the background suites in the order they started and prints their reports.
report_background() {
  local entry pid log name
  for entry in "${background[@]}"; do
    read -r pid log name <<<"$entry"
    echo "== $name"
    if ! wait "$pid"; then
      failed+=("$name")
    fi
    cat "$log"
  done
  background=()
}

phase() {
  local name=$1
  shift
  echo "== $name"
  if ! "$@"; then
    failed+=("$name")
  fi
}

in_background "tests (main build)" \
  ctest --test-dir build --output-on-failure -j "$test_jobs" --timeout 900 --no-tests=error

build_thread_sanitizer() {
  if [ ! -f build-tsan/build.ninja ]; then
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCS_TSAN=ON "${compilers[@]}" "${build_flags[@]}" "${cache_launcher[@]}"
  fi
  cmake --build build-tsan
}
phase "ThreadSanitizer build" build_thread_sanitizer
if [ -f build-tsan/build.ninja ]; then
  in_background "link tests (ThreadSanitizer)" env TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan -L tsan --output-on-failure -j "$test_jobs" --no-tests=error --timeout 900
fi

fuzz() {
  if [ ! -f build-fuzz/build.ninja ]; then
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCS_FUZZ=ON "${compilers[@]}" "${build_flags[@]}" "${cache_launcher[@]}"
  fi
  cmake --build build-fuzz &&
    ctest --test-dir build-fuzz -L fuzz --output-on-failure -j "$jobs" --no-tests=error
}
phase "fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)" fuzz

package() {
  local deb
  deb=$(scripts/package.sh | tail -1) && lintian --fail-on error --display-info "$deb"
}
phase "Debian package (lintian: errors fail the run, warnings are listed)" package

report_background
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}" >&2
  exit 1
fi

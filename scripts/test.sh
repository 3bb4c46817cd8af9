#!/usr/bin/env bash
# Builds and runs every test: the Linux suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the concurrency tests under ThreadSanitizer, the fuzzers for a bounded
# time, and the Windows build under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
total_passed=0
total_failed=0

run_ctest() {
  local preset=$1; shift
  local log
  log=$(mktemp)
  set +e
  ctest --preset "$preset" "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -n "$line" ]; then
    local failed all
    failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
    all=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
    total_failed=$((total_failed + failed))
    total_passed=$((total_passed + all - failed))
  fi
  rm -f "$log"
  return "$rc"
}

build() {
  local preset=$1
  echo "=== build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
}

status=0

build default
run_ctest default || status=1

build asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest asan || status=1

build tsan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_ctest tsan -L concurrency || status=1

for fuzz in scripts/fuzz-*.sh; do
  [ -e "$fuzz" ] || continue
  echo "=== fuzz: $fuzz ($FUZZ_SECONDS s)"
  if bash "$fuzz" "$FUZZ_SECONDS"; then
    total_passed=$((total_passed + 1))
  else
    total_failed=$((total_failed + 1))
    status=1
  fi
done

if [ -x scripts/test-windows.sh ] || [ -f scripts/test-windows.sh ]; then
  echo "=== windows"
  if bash scripts/test-windows.sh; then :; else status=1; total_failed=$((total_failed + 1)); fi
else
  echo "Windows checks: SKIPPED (scripts/test-windows.sh not present)"
fi

echo "tests: $total_passed passed, $total_failed failed"
exit "$status"

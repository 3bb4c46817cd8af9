#!/usr/bin/env bash
# Builds and runs every test: one CMake workflow per build (CMakePresets.json), each configuring,
# building and running that build's CTest tests. default: the Linux suite; asan: the same under
# AddressSanitizer and UndefinedBehaviorSanitizer; tsan: the concurrency tests under ThreadSanitizer;
# fuzz: each fuzzer for a bounded time; windows: the Windows build's files and its tests under wine.
#
#   scripts/test.sh [WORKFLOW...]    (default: all of them)
#
# Fails when any workflow fails, and names them.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

workflows=("$@")
[ ${#workflows[@]} -gt 0 ] || workflows=(default asan tsan fuzz windows)

failed=()
for workflow in "${workflows[@]}"; do
  echo "=== workflow ${workflow}"
  cmake --workflow --preset "${workflow}" || failed+=("${workflow}")
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "tests: FAILED (${failed[*]})"
  exit 1
fi
echo "tests: PASSED (${workflows[*]})"

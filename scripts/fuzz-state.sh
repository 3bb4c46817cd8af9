#!/usr/bin/env bash
# Builds the state restore's fuzz target (preset "fuzz": clang, ASan + UBSan) when needed, writes the
# seed chunks and runs it for N seconds (default 60).
# Usage: scripts/fuzz-state.sh [SECONDS]
# New inputs collect in build/fuzz/state-corpus; a finding is written to build/fuzz/ and the script
# fails.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if [ ! -f build/fuzz/CMakeCache.txt ]; then
  cmake --preset fuzz
fi
cmake --build --preset fuzz --target state_fuzz state_fuzz_corpus

mkdir -p build/fuzz/state-seeds build/fuzz/state-corpus
build/fuzz/fuzz/state/state_fuzz_corpus build/fuzz/state-seeds

# Standard error is closed for the target (-close_fd_mask=2): a restore writes one trace line per
# channel there. libFuzzer and the sanitizers keep reporting on their own copy of it.
exec build/fuzz/fuzz/state/state_fuzz \
  -max_total_time="$seconds" \
  -max_len=400000 \
  -close_fd_mask=2 \
  -print_final_stats=1 \
  -artifact_prefix="$root/build/fuzz/" \
  build/fuzz/state-corpus build/fuzz/state-seeds

#!/usr/bin/env bash
# Builds the sample file reader's fuzz target (preset "fuzz": clang, ASan + UBSan) when needed and
# runs it for N seconds (default 60), starting from the committed seed corpus.
# Usage: scripts/fuzz-samples.sh [SECONDS]
# New inputs collect in build/fuzz/samples-corpus; a finding is written to build/fuzz/ and the
# script fails.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if [ ! -f build/fuzz/CMakeCache.txt ]; then
  cmake --preset fuzz
fi
cmake --build --preset fuzz --target samples_fuzz

mkdir -p build/fuzz/samples-corpus
# Standard output is closed (-close_fd_mask=1): the reader prints one line per refused input.
exec build/fuzz/fuzz/samples/samples_fuzz \
  -max_total_time="$seconds" \
  -close_fd_mask=1 \
  -print_final_stats=1 \
  -artifact_prefix="$root/build/fuzz/" \
  build/fuzz/samples-corpus fuzz/samples/corpus

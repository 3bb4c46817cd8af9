#!/usr/bin/env bash
# Builds and installs the plug-in, synthesises the default kit, and renders a short demo through
# the command-line host: the kit's groove in Run mode at 120 BPM, all drums mixed on the main bus.
#
#   scripts/demo.sh [OUTPUT_FOLDER]      (default: build/demo)
#
# The plug-in takes the kit, the groove and the mode from the saved state that kitgen writes.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$root/build/demo}"
build="$root/build/default"
bundle="$HOME/.vst3/Krellbinder.vst3"

cd "$root"
cmake --preset default
cmake --build --preset default
cmake --build --preset default --target install-vst3

mkdir -p "$out"
"$build/tools/kitgen/kitgen" --out "$out/kit" --state "$out/demo.state" >/dev/null

# Only the main bus active: the plug-in then sums every drum into it.
"$build/tools/host/krbhost" render "$bundle" \
  --state-in "$out/demo.state" \
  --out "$out/demo.wav" \
  --seconds 8 --tempo 120 --rate 44100 --block 512 \
  --activate 0 --buses 0 --format pcm16 2> >(grep -v "^Nr of samples" >&2)

# A silent file means the plug-in did not take the state (mode, pattern and samples come from it).
python3 - "$out/demo.wav" <<'PY'
import sys, wave, struct
w = wave.open(sys.argv[1])
data = w.readframes(w.getnframes())
peak = max(abs(v) for v in struct.unpack('<%dh' % (len(data) // 2), data)) if data else 0
if peak == 0:
    sys.exit("demo: the rendered file is silent - this build's plug-in did not restore the demo state")
print(f"demo: {sys.argv[1]} ({w.getnframes() / w.getframerate():.1f} s, peak {peak / 32767:.2f})")
PY

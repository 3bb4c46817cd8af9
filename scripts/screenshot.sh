#!/usr/bin/env bash
# Regenerates docs/editor.png: builds the plug-in, the command-line host and kitgen, then has the host
# load the demo kit's state (the kit's samples, its groove, Run mode) into the built bundle, open its
# editor in a window of its own under Xvfb and photograph it. The editor opens at scale 1: the
# settings file goes to a folder of this run, not to the user's own.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default --target Krellbinder krbhost kitgen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/default/tools/kitgen/kitgen --out "$work/kit" --state "$work/demo.state" >/dev/null

mkdir -p docs
XDG_CONFIG_HOME="$work/config" xvfb-run -a -s "-screen 0 1600x1200x24" \
  build/default/tools/host/krbhost render build/default/Krellbinder.vst3 --state-in "$work/demo.state" \
  --frames 512 --screenshot docs/editor.png \
  >/dev/null 2> >(grep -v '^Nr of samples' >&2)
echo "wrote docs/editor.png"

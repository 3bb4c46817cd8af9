#!/usr/bin/env bash
# Regenerates docs/editor.png: builds the plug-in and the command-line host, then has the host open
# the editor of the built bundle in a window of its own under Xvfb and photograph it. The editor opens
# at scale 1: the settings file goes to a folder of this run, not to the user's own.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default --target Krellbinder krbhost

config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p docs
XDG_CONFIG_HOME="$config" xvfb-run -a -s "-screen 0 1600x1200x24" \
  build/default/tools/host/krbhost render build/default/Krellbinder.vst3 --frames 512 --screenshot docs/editor.png \
  >/dev/null 2> >(grep -v '^Nr of samples' >&2)
echo "wrote docs/editor.png"

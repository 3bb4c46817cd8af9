#!/usr/bin/env bash
# Regenerates the editor's art: builds tools/artgen, draws every bitmap into resources/ and copies the
# Roboto-Regular font there. Also writes build/art-preview.png (the whole editor composed from the new
# bitmaps at their places, not committed) to look at the result.
# Needs the Debian packages libcairo2-dev and fonts-roboto (see scripts/setup.sh).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/artgen"

font="$(dpkg -L fonts-roboto-unhinted fonts-roboto 2>/dev/null | grep '/Roboto-Regular\.ttf$' | head -n 1 || true)"
if [ -z "$font" ]; then
  font=/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf
fi
if [ ! -f "$font" ]; then
  echo "make-art: Roboto-Regular.ttf not found: install fonts-roboto" >&2
  exit 1
fi

cmake -S "$root/tools/artgen" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" >/dev/null

"$build/krb_artgen" --out "$root/resources" --fonts "$(dirname "$font")" \
  --preview "$root/build/art-preview.png" --preview-on "$root/build/art-preview-on.png"
cp "$font" "$root/resources/Roboto-Regular.ttf"
echo "make-art: bitmaps and font written to resources/, preview in build/art-preview.png"

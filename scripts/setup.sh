#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the Windows cross build and the
# editor tests need. Idempotent: does nothing slow when everything is present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config python3
  clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  juce-modules-source-data dpf-source libstb-dev python3-glad fonts-roboto
  libx11-dev libxext-dev libxrandr-dev libxcursor-dev libxi-dev libxtst-dev
  libgl-dev libgl1-mesa-dri libglx-mesa0 mesa-utils xvfb xauth x11-utils
  libsndfile1-dev libcairo2-dev
  g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 # wine64 alone runs the 64-bit plug-in: no i386 packages
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

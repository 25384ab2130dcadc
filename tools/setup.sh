#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: installs the missing Debian packages, configures and builds.
# Quick when nothing changed: no apt call when every package is present, no reconfigure when the
# build folder exists.
set -euo pipefail

LUMVALE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUMVALE_BUILD=${LUMVALE_BUILD:-$LUMVALE_ROOT/build}

packages=(g++ make cmake pkg-config qt6-base-dev libgl-dev libjpeg62-turbo-dev gettext libgtest-dev
          qt6-translations-l10n)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing Debian packages: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$LUMVALE_BUILD/CMakeCache.txt" ]; then
  cmake -S "$LUMVALE_ROOT" -B "$LUMVALE_BUILD" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$LUMVALE_BUILD" -j"$(nproc)"

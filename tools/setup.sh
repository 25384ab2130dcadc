#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: installs the missing Debian packages, configures and builds.
# Quick when nothing changed: no apt call when every package is present, no reconfigure when the
# build folder exists.
set -euo pipefail

LUMVALE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUMVALE_BUILD=${LUMVALE_BUILD:-$LUMVALE_ROOT/build}

packages=(g++ make cmake pkg-config qt6-base-dev libgl-dev libjpeg62-turbo-dev gettext libgtest-dev
          qt6-translations-l10n qt6-svg-dev libexiv2-dev liblcms2-dev libheif-dev desktop-file-utils appstream
          dpkg-dev groff-base libglib2.0-bin xvfb qt6-gtk-platformtheme)

source "$LUMVALE_ROOT/tools/packages.sh"
need_packages "${packages[@]}"

if [ ! -f "$LUMVALE_BUILD/CMakeCache.txt" ]; then
  cmake -S "$LUMVALE_ROOT" -B "$LUMVALE_BUILD" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$LUMVALE_BUILD" -j"$(nproc)"

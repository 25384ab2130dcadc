#!/usr/bin/env bash
# Sets up and builds Lumvale, then runs the whole test suite headless.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/setup.sh"
export QT_QPA_PLATFORM=offscreen
cd "${LUMVALE_BUILD:-$root/build}"
ctest --output-on-failure -j"$(nproc)" "$@"

#!/usr/bin/env bash
# Builds Lumvale and times what a folder of 10,000 photos costs before the first photo:
# bench/folders.sh [runs]. The files are made empty in a temporary folder and removed after.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null
exec "${LUMVALE_BUILD:-$root/build}/bench/folders_bench" "${1:-7}"

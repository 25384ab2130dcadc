#!/usr/bin/env bash
# Builds Lumvale and runs the downscale benchmark: bench/resize.sh [timed runs]
# The 12-megapixel photos are made on first use into bench/data (never committed).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null
cd "$root"
export QT_QPA_PLATFORM=offscreen
exec "${LUMVALE_BUILD:-$root/build}/bench/resize_bench" "${1:-7}" "$root/bench/data"

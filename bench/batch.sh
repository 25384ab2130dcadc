#!/usr/bin/env bash
# Builds Lumvale and times the real batch path offscreen: bench/batch.sh [timed runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null
exec "${LUMVALE_BUILD:-$root/build}/bench/batch_bench" "${1:-5}" "$root/bench/data"

#!/usr/bin/env bash
# Builds Lumvale and measures catalogue lookups: bench/lookup.sh [catalogue.mo]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null
exec "${LUMVALE_BUILD:-$root/build}/bench/lookup_bench" "$@"

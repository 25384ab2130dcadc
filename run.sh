#!/usr/bin/env bash
# Sets up and builds Lumvale, then starts it with the given arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/setup.sh" >&2
exec "${LUMVALE_BUILD:-$root/build}/app/lumvale" "$@"

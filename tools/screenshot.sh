#!/usr/bin/env bash
# Starts lumvale on a virtual X server (Xvfb) and saves a screenshot of the screen as a PNG:
#   tools/screenshot.sh OUTPUT.png [LANG value] [lumvale arguments...]
# Installs the Debian packages it needs (xvfb, x11-apps for xwd, imagemagick for the PNG).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: tools/screenshot.sh OUTPUT.png [LANG] [arguments]}
lang=${2:-C}
shift $(( $# >= 2 ? 2 : 1 ))
. "$root/tools/xvfb.sh"
need_packages xvfb x11-apps imagemagick
"$root/tools/setup.sh" >/dev/null
app=
trap 'kill $app "$xvfb" 2>/dev/null || true' EXIT
start_xvfb 1024x700
DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=$lang LC_ALL= LC_MESSAGES= \
  "${LUMVALE_BUILD:-$root/build}/app/lumvale" "$@" >/dev/null 2>&1 &
app=$!
sleep "${SCREENSHOT_DELAY:-3}"
DISPLAY=$display xwd -root -silent | convert xwd:- "$out"
echo "$out"

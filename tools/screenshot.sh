#!/usr/bin/env bash
# Starts lumvale on a virtual X server (Xvfb) and saves a screenshot of the screen as a PNG:
#   tools/screenshot.sh OUTPUT.png [LANG value] [lumvale arguments...]
# Installs the Debian packages it needs (xvfb, x11-apps for xwd, imagemagick for the PNG).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: tools/screenshot.sh OUTPUT.png [LANG] [arguments]}
lang=${2:-C}
shift $(( $# >= 2 ? 2 : 1 ))
need=()
for p in xvfb x11-apps imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if ((${#need[@]})); then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
"$root/tools/setup.sh" >/dev/null
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=$lang LC_ALL= LC_MESSAGES= \
  "${LUMVALE_BUILD:-$root/build}/app/lumvale" "$@" >/dev/null 2>&1 &
app=$!
sleep "${SCREENSHOT_DELAY:-3}"
DISPLAY=$display xwd -root -silent | convert xwd:- "$out"
echo "$out"

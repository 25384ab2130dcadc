#!/usr/bin/env bash
# The user's walk through Lumvale on a virtual X server (Xvfb), with screenshots:
#   tools/walkthrough.sh [SCREENSHOT_FOLDER] [LANG]
# Installs what it needs (xvfb), builds, and runs the walk-through program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shots=${1:-$root/build/walkthrough}
if ! dpkg-query -W -f='${Status}' xvfb 2>/dev/null | grep -q 'install ok installed'; then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends xvfb
fi
"$root/tools/setup.sh" >/dev/null
display=:$((80 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=${2:-C} LC_ALL= LC_MESSAGES= \
  "${LUMVALE_BUILD:-$root/build}/app/lumvale_walkthrough" "$shots"

# Sourced by the scripts that show windows on a virtual X server:
#   need_packages PACKAGE...   from tools/packages.sh
#   start_xvfb WIDTHxHEIGHT    starts Xvfb on a free display, sets $display and $xvfb
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"

start_xvfb() {
  display=:$((80 + RANDOM % 19))
  Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
}

# Sourced by the scripts that show windows on a virtual X server:
#   need_packages PACKAGE...   installs the Debian packages that are missing
#   start_xvfb WIDTHxHEIGHT    starts Xvfb on a free display, sets $display and $xvfb
need_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    local sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

start_xvfb() {
  display=:$((80 + RANDOM % 19))
  Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
}

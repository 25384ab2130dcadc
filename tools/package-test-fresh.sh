#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 root made by mmdebstrap from Debian's
# mirror (nothing of this machine's packages in it) and uses it there, as root:
#   tools/package-test-fresh.sh [PACKAGE.deb]   (default: builds one with tools/package.sh)
# Checks that apt installs it with its dependencies, that /usr/bin/lumvale --version answers,
# and that a droplet (a launcher of the profile "default") started by gio launch, without a
# screen, writes a photo's small copy.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "package-test-fresh.sh: run as root (chroot)" >&2; exit 2; }
source "$root/tools/packages.sh"
need_packages mmdebstrap
"$root/tools/setup.sh" >/dev/null
deb=$(readlink -f "${1:-$("$root/tools/package.sh" | tail -n 1)}")
fresh=$(mktemp -d)
trap 'umount "$fresh/proc" 2>/dev/null || true; rm -rf "$fresh"' EXIT
mmdebstrap --quiet --variant=apt bookworm "$fresh" \
  "deb http://deb.debian.org/debian bookworm main" \
  "deb http://deb.debian.org/debian bookworm-updates main" \
  "deb http://deb.debian.org/debian-security bookworm-security main"
cp "$deb" "$fresh/tmp/lumvale.deb"
QT_QPA_PLATFORM=offscreen "$root/build/app/lumvale_walkthrough" make-photo "$fresh/tmp/photo one.jpg" \
  2>/dev/null
cat >"$fresh/tmp/Lumvale - default.desktop" <<'DESKTOP'
[Desktop Entry]
Type=Application
Name=Lumvale - default
Exec=/usr/bin/lumvale -p:default %F
Path=/usr/bin/
MimeType=image/jpeg;
DESKTOP
mount -t proc proc "$fresh/proc"
chroot "$fresh" sh -ec '
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends /tmp/lumvale.deb libglib2.0-bin >/dev/null
  /usr/bin/lumvale --version
  cd /tmp && gio launch "/tmp/Lumvale - default.desktop" "/tmp/photo one.jpg" </dev/null
  for i in $(seq 50); do [ -s "/tmp/photo one_small.jpg" ] && break; sleep 0.2; done
  [ -s "/tmp/photo one_small.jpg" ] && echo "a droplet processed a photo in the fresh root"'

#!/usr/bin/env bash
# Installs the Debian package as a user would, uses it, and removes it again:
#   tools/package-test.sh [--fresh-root] [PACKAGE.deb]   (default: builds one, tools/package.sh)
# Without --fresh-root on this machine (a scratch machine: root or sudo; apt installs the
# package's dependencies); with it (as root) into a fresh Debian 12 root that mmdebstrap makes
# from Debian's mirror, so that nothing of this machine's packages helps.
# Checks: `lumvale --version` from /usr/bin; the catalogues inside the installed program; the
# files a desktop needs under /usr/share; a droplet (a launcher of the profile "default", as the
# program writes them) started by gio launch with a photo, without a screen, writes the photo's
# small copy.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fresh=
if [ "${1:-}" = --fresh-root ]; then
  shift
  [ "$(id -u)" -eq 0 ] || { echo "package-test.sh: --fresh-root needs root (chroot)" >&2; exit 2; }
  fresh=$(mktemp -d)
fi
"$root/tools/setup.sh" >/dev/null  # the normal build: its walk-through tool makes the photo
deb=$(readlink -f "${1:-$("$root/tools/package.sh" | tail -n 1)}")
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
source "$root/tools/packages.sh"
export DEBIAN_FRONTEND=noninteractive

# `inside CMD...` runs a command where the package is installed; `$work` is a scratch folder as
# the commands there see it, `$host_work` the same folder seen from here.
if [ -n "$fresh" ]; then
  need_packages mmdebstrap
  trap 'umount "$fresh/proc" 2>/dev/null || true; rm -rf "$fresh"' EXIT
  mmdebstrap --quiet --variant=apt bookworm "$fresh" \
    "deb http://deb.debian.org/debian bookworm main" \
    "deb http://deb.debian.org/debian bookworm-updates main" \
    "deb http://deb.debian.org/debian-security bookworm-security main"
  mount -t proc proc "$fresh/proc"
  inside() { chroot "$fresh" "$@"; }
  work=/tmp/lumvale-test
  host_work=$fresh$work
  mkdir -p "$host_work"
  cp "$deb" "$host_work/lumvale.deb"
  inside apt-get update -qq
  inside apt-get install -y -qq --no-install-recommends "$work/lumvale.deb" libglib2.0-bin >/dev/null
else
  need_packages libglib2.0-bin
  inside() { "$@"; }
  work=$(mktemp -d)
  host_work=$work
  trap '"${sudo_cmd[@]}" dpkg -r lumvale >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  "${sudo_cmd[@]}" apt-get install -y -qq "$deb" >/dev/null
fi
echo "== installed $(basename "$deb")${fresh:+ into a fresh Debian 12 root}"
inside dpkg -s lumvale | grep -E '^(Version|Depends):'
status=0
check() { if eval "$2"; then echo "  ok   $1"; else echo "  FAIL $1"; status=1; fi; }
version=$(inside dpkg-query -W -f='${Version}' lumvale)
check "lumvale --version from /usr/bin" '[ "$(inside /usr/bin/lumvale --version)" = "Lumvale $version" ]'
check "the catalogues travel with the installed program" \
  '[ "$(inside env LANG=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen /usr/bin/lumvale --translate Run 2>/dev/null)" = Starten ]'
for f in applications/example.lumvale.Lumvale.desktop metainfo/example.lumvale.Lumvale.metainfo.xml \
  icons/hicolor/256x256/apps/lumvale.png icons/hicolor/scalable/apps/lumvale.svg man/man1/lumvale.1; do
  check "/usr/share/$f" "inside test -f /usr/share/$f"
done
# A droplet as the program writes one for the profile "default", started with a photo.
QT_QPA_PLATFORM=offscreen "$root/build/app/lumvale_walkthrough" make-photo "$host_work/photo one.jpg" \
  2>/dev/null
cat >"$host_work/Lumvale - default.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Lumvale - default
Exec=/usr/bin/lumvale -p:default %F
Path=/usr/bin/
MimeType=image/jpeg;image/heic;image/heif;image/avif;
DESKTOP
inside env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/config" \
  gio launch "$work/Lumvale - default.desktop" "$work/photo one.jpg" </dev/null 2>/dev/null || true
for _ in $(seq 50); do [ -s "$host_work/photo one_small.jpg" ] && break; sleep 0.2; done
check "a droplet started by gio launch processed a photo with the installed program" \
  '[ -s "$host_work/photo one_small.jpg" ]'
exit $status

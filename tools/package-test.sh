#!/usr/bin/env bash
# Installs the Debian package on this machine, as a user would, and uses it; then removes it:
#   tools/package-test.sh [PACKAGE.deb]   (default: builds one with tools/package.sh)
# Meant for a scratch machine (root or sudo): apt installs the package's dependencies.
# Checks: `lumvale --version` from /usr/bin; the files a desktop needs under /usr/share; a
# droplet (a launcher of the profile "default", written as the program writes them) started by
# gio launch with a photo, without a screen, writes the photo's small copy.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null  # the normal build: its walk-through tool makes the photo
deb=${1:-$("$root/tools/package.sh" | tail -n 1)}
deb=$(readlink -f "$deb")
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
source "$root/tools/packages.sh"
need_packages libglib2.0-bin
work=$(mktemp -d)
trap '"${sudo_cmd[@]}" dpkg -r lumvale >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
echo "== installing $(basename "$deb")"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get install -y -qq "$deb" >/dev/null
dpkg -s lumvale | grep -E '^(Version|Depends):'
status=0
check() { if eval "$2"; then echo "  ok   $1"; else echo "  FAIL $1"; status=1; fi; }
check "lumvale --version from /usr/bin" '[ "$(/usr/bin/lumvale --version)" = "Lumvale $(dpkg-query -W -f="\${Version}" lumvale)" ]'
check "the catalogues travel with the installed program" \
  '[ "$(LANG=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen /usr/bin/lumvale --translate Run 2>/dev/null)" = Starten ]'
for f in applications/example.lumvale.Lumvale.desktop metainfo/example.lumvale.Lumvale.metainfo.xml \
  icons/hicolor/256x256/apps/lumvale.png icons/hicolor/scalable/apps/lumvale.svg man/man1/lumvale.1; do
  check "/usr/share/$f" "[ -f /usr/share/$f ]"
done
# A droplet as the program writes one for the profile "default", started with a photo.
QT_QPA_PLATFORM=offscreen "$root/build/app/lumvale_walkthrough" make-photo "$work/photo one.jpg" \
  2>/dev/null
cat >"$work/Lumvale - default.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Lumvale - default
Exec=/usr/bin/lumvale -p:default %F
Path=/usr/bin/
MimeType=image/jpeg;
DESKTOP
env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/config" \
  gio launch "$work/Lumvale - default.desktop" "$work/photo one.jpg" </dev/null 2>"$work/log" || true
for _ in $(seq 50); do [ -f "$work/photo one_small.jpg" ] && break; sleep 0.2; done
check "a droplet started by gio launch processed a photo with the installed program" \
  '[ -s "$work/photo one_small.jpg" ]'
exit $status

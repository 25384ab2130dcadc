#!/usr/bin/env bash
# The user's walks through Lumvale on a virtual X server (Xvfb), with screenshots:
#   tools/walkthrough.sh [SCREENSHOT_FOLDER]
# (LUMVALE_WALKTHROUGH_PHOTO=photo.jpg: the batch walk runs on copies of that real photo)
# 1. the batch: file and folder dialogs, a drop, a run with limits, every answer to the
#    overwrite question, Cancel in the middle of a run;
# 2. profiles and languages, then a restart that must show "default", the saved window size and
#    the chosen language;
# 3. the command line of a droplet, with a screen (the program ends by itself; a phone's portrait
#    photo, JPEG and HEIC, comes out upright) and without one (lines on the terminal and the exit
#    codes);
# 4. a folder with sub-folders and an unreadable photo run into a chosen folder, with the list
#    of skipped photos, in English and German;
#    a droplet and a "Send to" entry for a profile with a blank in its name, each started with
#    two photos by gio launch (GLib's Desktop Entry rules, as file managers use them); the
#    about box in English and German.
# 5. HEIC and AVIF photos dropped on the window and run, in English, German and Italian, with
#    the status window's preview of a phone's portrait;
#    the program's and Qt's own texts in German (with Qt's GNOME theme, as on GNOME, Xfce,
#    Cinnamon and MATE) and Italian: the main window, the overwrite question, the "New Profile"
#    input box, an edit's context menu and the open dialog.
#    Started in German and switched to Italian and English by the language menu, with the
#    menus and their submenus opened in each language.
# 6. installed into a scratch prefix: the menu entry started by gio launch with two photos.
# Installs what it needs (xvfb), builds, and fails when a step did not happen.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shots=${1:-$root/build/walkthrough}
build=${LUMVALE_BUILD:-$root/build}
mkdir -p "$shots"
. "$root/tools/xvfb.sh"
need_packages xvfb libglib2.0-bin
"$root/tools/setup.sh" >/dev/null
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
start_xvfb 1280x800
export XDG_CONFIG_HOME=$work/config LC_ALL= LC_MESSAGES= LANG=C
gui() { DISPLAY=$display QT_QPA_PLATFORM=xcb "$@"; }

gui "$build/app/lumvale_walkthrough" batch "$shots"
gui "$build/app/lumvale_walkthrough" profiles "$shots"
gui "$build/app/lumvale_walkthrough" restart "$shots"

echo "walk-through: the command line"
QT_QPA_PLATFORM=offscreen "$build/app/lumvale_walkthrough" make-photo "$work/a.jpg" >/dev/null
cp "$work/a.jpg" "$work/b.JPG"
echo "not a picture" > "$work/c.png"
status=0
check() { if eval "$2"; then echo "  ok   $1"; else echo "  FAIL $1"; status=1; fi; }
# With a screen, as a droplet starts it: the program ends by itself.
gui timeout 60 "$build/app/lumvale" -p:Web "$work/a.jpg" "$work/b.JPG" "$work/c.png"
check "a droplet's files processed with the profile Web; the program ended by itself" \
  '[ -f "$work/a_small.jpg" ] && [ -f "$work/b_small.jpg" ] && [ ! -e "$work/c_small.jpg" ]'
# A portrait photo as phones store it (landscape pixels, EXIF orientation 6) comes out upright.
QT_QPA_PLATFORM=offscreen "$build/app/lumvale_walkthrough" make-turned-photo "$work/phone.jpg"
gui timeout 60 "$build/app/lumvale" -p:Web "$work/phone.jpg"
check "a phone's portrait photo (orientation 6) written upright" \
  'QT_QPA_PLATFORM=offscreen "$build/app/lumvale_walkthrough" check-upright "$work/phone_small.jpg"'
# A phone's HEIC portraits (stored landscape, turned by the file) from a droplet, screenshot
# while the status window shows one.
QT_QPA_PLATFORM=offscreen "$build/app/lumvale_walkthrough" make-turned-heif "$work/IMG_0003.HEIC"
for n in 4 5 6 7 8 9; do cp "$work/IMG_0003.HEIC" "$work/IMG_000$n.HEIC"; done
gui timeout 60 "$build/app/lumvale" -p:Web "$work"/IMG_000?.HEIC &
droplet=$!
sleep 1
gui "$build/app/lumvale_walkthrough" screenshot "$shots/17-heic-droplet-running.png"
echo "  screenshot 17-heic-droplet-running.png"
wait "$droplet"
check "a droplet's HEIC portraits written upright as JPEG files" \
  'QT_QPA_PLATFORM=offscreen "$build/app/lumvale_walkthrough" check-upright "$work/IMG_0009_small.jpg"'
# Without a screen: the lines on the terminal and the exit codes.
rm -f "$work"/*_small.jpg
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$build/app/lumvale" -p:Web a.jpg b.JPG c.png \
  </dev/null 2>"$work/terminal.txt") && code=0 || code=$?
sed 's/^/    /' "$work/terminal.txt"
check "without a screen: exit code 0 and the status lines on the terminal" \
  '[ $code -eq 0 ] && grep -q "b_small.jpg" "$work/terminal.txt"'
echo "bad" > "$work/bad.jpg"
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$build/app/lumvale" bad.jpg </dev/null 2>/dev/null) \
  && code=0 || code=$?
check "an unreadable picture: exit code 1" '[ $code -eq 1 ]'
env -u DISPLAY -u WAYLAND_DISPLAY "$build/app/lumvale" >/dev/null 2>&1 && code=0 || code=$?
check "no arguments and no screen: exit code 2" '[ $code -eq 2 ]'
echo "walk-through: installed"
# Installed into a scratch prefix, the program's own menu entry started by GLib's rules with two
# photos (one name with a blank) opens the main window listing them.
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check "installed: program, menu entry, icons, metainfo, manual page" \
  '[ -x "$prefix/bin/lumvale" ] && [ -f "$prefix/share/applications/example.lumvale.Lumvale.desktop" ] &&
   [ -f "$prefix/share/icons/hicolor/256x256/apps/lumvale.png" ] &&
   [ -f "$prefix/share/icons/hicolor/scalable/apps/lumvale.svg" ] &&
   [ -f "$prefix/share/metainfo/example.lumvale.Lumvale.metainfo.xml" ] &&
   [ -f "$prefix/share/man/man1/lumvale.1" ]'
cp "$work/a.jpg" "$work/two words.jpg"
DISPLAY=$display PATH="$prefix/bin:$PATH" XDG_DATA_DIRS="$prefix/share:/usr/share" \
  gio launch "$prefix/share/applications/example.lumvale.Lumvale.desktop" "$work/a.jpg" \
  "$work/two words.jpg" &
sleep 3
gui "$build/app/lumvale_walkthrough" screenshot "$shots/15-opened-from-the-menu-entry.png"
echo "  screenshot 15-opened-from-the-menu-entry.png"
opened=$(pgrep -a -f "lumvale --open $work/a.jpg" || true)
check "the menu entry started the installed program with --open and both photos" \
  '[[ $opened == *"--open $work/a.jpg $work/two words.jpg"* ]]'
pkill -f "lumvale --open $work/a.jpg" || true
echo "walk-through: launchers"
export HOME=$work/home XDG_DATA_HOME=$work/home/data
mkdir -p "$HOME/Desktop" "$work/photos" "$XDG_DATA_HOME/Thunar" "$XDG_DATA_HOME/kio" \
  "$XDG_DATA_HOME/nautilus"
gui "$build/app/lumvale_walkthrough" launchers "$shots"
for n in 1 2; do cp "$work/a.jpg" "$work/photos/p$n.jpg"; done
# The launchers name the program beside the walk-through program; point them at lumvale.
for entry in "$HOME/Desktop/Lumvale - Web small.desktop" "$XDG_DATA_HOME/applications/Lumvale - Web small.desktop" \
  "$XDG_DATA_HOME/Thunar/sendto/Lumvale - Web small.desktop"; do
  sed -i "s|lumvale_walkthrough|lumvale|; s|$build/app/lumvale |$build/app/lumvale |" "$entry"
  sed -n 's/^Exec=/    Exec=/p' "$entry"
  rm -f "$work/photos/"*_launched.jpg
  DISPLAY=$display QT_QPA_PLATFORM=xcb gio launch "$entry" "$work/photos/p1.jpg" "$work/photos/p2.jpg" 2>/dev/null
  for _ in $(seq 1 60); do [ -f "$work/photos/p2_launched.jpg" ] && break; sleep 0.5; done
  sleep 1
  check "$(basename "$entry") started with two photos: both processed with the profile" \
    '[ -f "$work/photos/p1_launched.jpg" ] && [ -f "$work/photos/p2_launched.jpg" ]'
done
# Nautilus's script, with two selected photos as Nautilus hands them over.
script="$XDG_DATA_HOME/nautilus/scripts/Lumvale - Web small"
sed -i "s|lumvale_walkthrough|lumvale|" "$script"
rm -f "$work/photos/"*_launched.jpg
DISPLAY=$display QT_QPA_PLATFORM=xcb \
  NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="$work/photos/p1.jpg"$'\n'"$work/photos/p2.jpg"$'\n' "$script"
check "the Nautilus script run with two photos: both processed with the profile" \
  '[ -f "$work/photos/p1_launched.jpg" ] && [ -f "$work/photos/p2_launched.jpg" ]'
# A fresh settings file, so that the language of the environment applies.
XDG_CONFIG_HOME=$work/config-en gui "$build/app/lumvale_walkthrough" folders "$shots"
XDG_CONFIG_HOME=$work/config-de LANG=de_DE.UTF-8 gui "$build/app/lumvale_walkthrough" folders "$shots"
XDG_CONFIG_HOME=$work/config-en gui "$build/app/lumvale_walkthrough" about "$shots"
XDG_CONFIG_HOME=$work/config-de LANG=de_DE.UTF-8 gui "$build/app/lumvale_walkthrough" about "$shots"
# Started in German, switched to Italian and English by the menu, the menus opened in each.
XDG_CONFIG_HOME=$work/config-menus LANG=de_DE.UTF-8 gui "$build/app/lumvale_walkthrough" menus \
  "$shots" || status=1
echo "walk-through: HEIF photos dropped on the window"
for lang in C de_DE.UTF-8 it_IT.UTF-8; do
  XDG_CONFIG_HOME=$work/config-heif-$lang LANG=$lang gui "$build/app/lumvale_walkthrough" heif \
    "$shots" || status=1
done
echo "walk-through: texts"
for session in "de_DE.UTF-8 gnome" "it_IT.UTF-8 "; do
  set -- $session
  XDG_CONFIG_HOME=$work/config-$1 LANG=$1 QT_QPA_PLATFORMTHEME=${2:-} \
    gui "$build/app/lumvale_walkthrough" texts "$shots" || status=1
done
exit $status

#!/usr/bin/env bash
# Times the whole program as a desktop launcher starts it, without a screen, on a batch of HEIF
# photos (HEIC and AVIF), against libheif's own decode of the same files (the floor),
# vipsthumbnail and ImageMagick:
#
#   bench/heif.sh [rounds]      (default 5 interleaved rounds)
#
# Not part of the test suite. The photos are the real ones of bench/engine.sh, from Debian
# wallpaper packages fetched at run time, turned into HEIC and AVIF by libheif's encoder
# (bench/HeifMaker.cpp) into bench/data/heif/ (ignored by git, never committed); a rerun reuses
# them. Making them takes a minute or two, once.
set -euo pipefail

rounds=${1:-5}
if [ $# -gt 1 ] || ! [[ $rounds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/heif.sh [rounds]   (a positive number, default 5)" >&2
  exit 2
fi

source "$(dirname "${BASH_SOURCE[0]}")/common.sh" heif
# /usr/local/bin may hold another convert; ImageMagick's is Debian's.
magick=/usr/bin/convert

# --- Tools: vipsthumbnail, ImageMagick, Pillow (to check the outputs), GNU time (for %M).
need_packages libvips-tools imagemagick python3 python3-pil time

# The program, and with it the benchmark's two helpers.
build_program
maker=$build/bench/heif_maker
floor_tool=$build/bench/heif_floor
for t in "$lumvale" "$maker" "$floor_tool"; do
  [ -x "$t" ] || die "no $t after tools/setup.sh"
done

# --- Photos: the wallpaper packages bench/engine.sh uses (their copies there are taken when
# present), both with real photographs as JPEG.
wallpapers=(lomiri-wallpapers-16.04 lomiri-wallpapers-20.04)
fetch_wallpapers --copy-from "$root/bench/data/engine/debs" "${wallpapers[@]}"
# The one wallpaper with an embedded colour profile (sRGB-elle-V2-srgbtrc, an RGB profile) is a
# drawing; its profile goes into one of the photos.
icc_donor=$src/Painting-Colors_by__herobrine7gamer.jpg

# Target name, source photo, maker options (DONOR: the wallpaper with the profile). Six HEIC and
# three AVIF of 1.5 to 20 megapixels; one HEIC is stored sideways with the turn in the file
# (orientation 6, a phone's portrait), one AVIF turned the other way (8) with an odd width, one
# HEIC with the colour profile.
batch=(
  "Kleiber_by_Lukas_Baubkus.heic            Kleiber_by_Lukas_Baubkus.jpg"
  "seeding_by_Clements_Engelhardt.heic      seeding_by_Clements_Engelhardt.jpg"
  "Dragonfly_by_Bolly-icc.heic              Dragonfly_by_Bolly.jpg             --icc-from DONOR"
  "sunset_by_Aitzol_Berasategi-o6.heic      sunset_by_Aitzol_Berasategi.jpg    --orientation 6"
  "Wine_by_Jakkub_Mede.heic                 Wine_by_Jakkub_Mede.jpg"
  "free_by_Peter_Nerlich.heic               free_by_Peter_Nerlich.jpg"
  "picosdeeuropa_by_Aitzol_Berasategi.avif  picosdeeuropa_by_Aitzol_Berasategi.jpg --av1"
  "Picture_0B_by_freespace.avif             Picture_0B_by_freespace.jpg        --av1"
  "Picture_1A_by_freespace-o8.avif          Picture_1A_by_freespace.jpg        --av1 --orientation 8"
)
photos=()
for line in "${batch[@]}"; do
  read -r -a fields <<<"$line"
  fields=("${fields[@]/#DONOR/$icc_donor}")
  target=$data/photos/${fields[0]}
  if [ ! -f "$target" ]; then
    [ -f "$src/${fields[1]}" ] || die "no $src/${fields[1]} in the wallpaper packages"
    echo "making $(basename "$target") from ${fields[1]} (libheif's encoder, quality 80)..." >&2
    t0=$EPOCHREALTIME
    "$maker" --quality 80 "${fields[@]:2}" "$src/${fields[1]}" "$target.part" ||
      die "heif_maker failed on ${fields[1]}"
    # .part is not a name the program or its peers take for HEIF; the final name is.
    mv "$target.part" "$target"
    awk -v a="$t0" -v b="$EPOCHREALTIME" \
      'BEGIN { gsub(",", ".", a); gsub(",", ".", b); printf "  %.1f s\n", b - a }' >&2
  fi
  photos+=("$target")
done
count=${#photos[@]}

# --- Runs.
start_work
info=$work/info.tsv
"$floor_tool" --info "${photos[@]}" >"$info"

echo "== Batch ($data/photos)"
"${stats[@]}" list "$info" # fails when the batch lacks a kind of photo the benchmark needs

usage=$work/usage.tsv     # round, what, user s, sys s, peak resident KiB, minor faults (GNU time)
threads=$work/threads.tsv # what, most threads seen at once (check round)
outputs=$work/outputs.tsv # what, photo, output size, chroma, profile (check round)
: >"$usage"
: >"$threads"
: >"$outputs"

# Runs a command under GNU time, whose figures (user and sys seconds, peak resident KiB, minor
# page faults) go to $usage under the given name. In the check round the command's thread count
# is also sampled every few milliseconds, for the most threads it had at once: codec threads on
# top of the program's workers would show there.
timed() { # what command...
  local what=$1 rc=0 pid child='' peak=0 n state
  shift
  if ((round > 0)); then
    /usr/bin/time -f '%U %S %M %R' -o "$work/rusage" "$@" || rc=$?
  else
    /usr/bin/time -f '%U %S %M %R' -o "$work/rusage" "$@" &
    pid=$!
    while :; do
      if [ -z "$child" ]; then
        child=$(cut -d ' ' -f 1 "/proc/$pid/task/$pid/children" 2>/dev/null || true)
      fi
      if [ -n "$child" ]; then
        n=$(awk '/^Threads:/ { print $2 }' "/proc/$child/status" 2>/dev/null || true)
        if [ -n "$n" ] && ((n > peak)); then peak=$n; fi
      fi
      state=$(awk '{ sub(/.*\) /, ""); print $1 }' "/proc/$pid/stat" 2>/dev/null || echo Z)
      [ "$state" != Z ] || break
      sleep 0.005
    done
    wait "$pid" || rc=$?
    printf '%s\t%s\n' "$what" "$peak" >>"$threads"
  fi
  if ((round > 0)); then
    tail -n 1 "$work/rusage" |
      awk -v r="$round" -v w="$what" '{ printf "%s\t%s\t%s\t%s\t%s\t%s\n", r, w, $1, $2, $3, $4 }' \
        >>"$usage"
  fi
  return "$rc"
}

# In the check round: every output within 800x600 and turned as the photo is shown; the
# program's also baseline. Their sizes, chroma and profiles are kept for the table of outputs.
check_outputs() { # what output-folder [--strict]
  if ((round == 0)); then "${stats[@]}" check-outputs "$1" "$2" "$info" "$outputs" "${@:3}"; fi
}

# A program run's outputs are checked strictly; not those of a photo alone, as check-outputs
# wants one output for every photo of the batch.
lumvale_ran() { # what output-folder start end inputs
  [[ $1 == alone:* ]] || check_outputs "$1" "$2" --strict
}

# (a) The floor: libheif decoding each photo as the program asks for it, one single-threaded
# process per photo (bench/HeifFloor.cpp).
run_floor() {
  local f t0 t1
  for f in "${photos[@]}"; do
    t0=$EPOCHREALTIME
    timed "floor:$(basename "$f")" "$floor_tool" "$f" || die "heif_floor failed on $f"
    t1=$EPOCHREALTIME
    record "floor:$(basename "$f")" "$t0" "$t1"
  done
}

# The floor with as many processes at a time as there are cores, in the batch's order: what the
# cores give libheif's decode in parallel, against which the program's workers can be read.
run_floor_parallel() {
  local t0 t1
  t0=$EPOCHREALTIME
  printf '%s\0' "${photos[@]}" | timed floor_par xargs -0 -n 1 -P "$(nproc)" "$floor_tool" ||
    die "heif_floor failed in parallel"
  t1=$EPOCHREALTIME
  record floor_par "$t0" "$t1"
}

# (d) vipsthumbnail: one process for the batch, its default threads; JPEG chroma halved as the
# program's libjpeg defaults do (vips would keep it whole at Q=90).
vips_into() { # output folder
  timed vips vipsthumbnail --size 800x600 -o "$1/%s_vips.jpg[Q=90,subsample-mode=on]" \
    "${photos[@]}"
}

# (e) ImageMagick: one convert per photo, as it is used in a shell loop, its own threads; the
# same box (shrink only), quality and halved chroma (ImageMagick keeps it whole from 90 up).
magick_into() { # output folder
  local f name rc=0
  for f in "${photos[@]}"; do
    name=$(basename "${f%.*}")
    timed "magick:$name" "$magick" "$f" -resize '800x600>' -sampling-factor 2x2 -quality 90 \
      "$1/${name}_im.jpg" || rc=$?
  done
  return "$rc"
}

# Other work on the machine skews every figure: the CPU time others took during the rounds is
# the machine's busy time (/proc/stat) less that of this script's own children.
busy_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '/^cpu / { printf "%.2f\n", ($2 + $3 + $4 + $7 + $8 + $9) / hz }' \
    /proc/stat
}
# The user + sys of the children this shell waited for: its builtin times, called here and not in
# a command substitution, whose forked shell would count only its own children.
own_seconds() { # file to write the seconds to
  times >"$1"
  tail -n 1 "$1" | awk '{ s = 0; for (i = 1; i <= 2; i++) { split($i, p, "m"); sub("s", "", p[2]);
    s += p[1] * 60 + p[2] } printf "%.2f\n", s }' >"$1.s"
  mv "$1.s" "$1"
}
other_work_start() {
  busy0=$(busy_seconds)
  own_seconds "$work/own0"
  wall0=$EPOCHREALTIME
}
other_work() {
  own_seconds "$work/own1"
  awk -v b0="$busy0" -v b1="$(busy_seconds)" -v o0="$(cat "$work/own0")" \
    -v o1="$(cat "$work/own1")" -v w0="$wall0" -v w1="$EPOCHREALTIME" -v cores="$(nproc)" 'BEGIN {
      gsub(",", ".", w0); gsub(",", ".", w1)
      others = (b1 - b0) - (o1 - o0)
      if (others < 0) others = 0
      printf "other processes took %.0f CPU s in the %.0f s of the rounds on %d cores", others,
        w1 - w0, cores
      printf " (%.2f cores on average)\n", others / (w1 - w0)
      if (others / (w1 - w0) > 0.1)
        print "  warning: other work shared the cores; the figures of this run are not clean"
    }'
}

run_step() { # what
  case $1 in
    floor) run_floor ;;
    floor_par) run_floor_parallel ;;
    lumvale) run_lumvale lumvale -- "${photos[@]}" ;; # (b) all workers: environment as is
    lumvale1) run_lumvale lumvale1 LUMVALE_THREADS=1 -- "${photos[@]}" ;; # (c) one worker
    vips) run_contestant vips vips_into ;;
    magick) run_contestant magick magick_into ;;
    alone) run_alone "${photos[@]}" ;;
  esac
}

steps=(floor floor_par lumvale lumvale1 vips)
echo
echo "== Tools"
"$lumvale" --version
"$floor_tool" --decoders
vipsthumbnail --vips-version
magick_note=
magick_reads() { # format: whether ImageMagick's list shows it readable
  "$magick" -list format | awk -v f="$1" '$1 == f || $1 == f "*" { print $3 }' | grep -q r
}
if ! "$magick" -version >/dev/null 2>&1; then
  magick_note="ImageMagick ($magick) does not run: not timed"
else
  "$magick" -version | head -n 1
  lacks=()
  for kind in HEIC AVIF; do magick_reads "$kind" || lacks+=("$kind"); done
  if ((${#lacks[@]})); then
    magick_note="ImageMagick cannot read ${lacks[*]} here (convert -list format): not timed"
  else
    steps+=(magick)
    "$magick" -list format | awk '$1 ~ /^(HEIC|AVIF)\*?$/ { sub(/^ +/, ""); print "  " $0 }'
  fi
fi
[ -z "$magick_note" ] || echo "$magick_note"
steps+=(alone)
# Other work on the machine skews every figure (see other_work).
machine_notes "load average before the runs: $(cut -d ' ' -f 1-3 /proc/loadavg)"

# The check round also counts the threads of each process (see timed).
check_round "${steps[@]}"
echo "every run exited 0 and wrote one output per input; all outputs fit 800x600;" \
  "the program's are baseline and turned as the photos are shown"

other_work_start
timed_rounds "${steps[@]}"
other_work

echo
echo "== Results ($count photos)"
"${stats[@]}" report "$times" "$usage" "$threads" "$outputs" "$info" "$rounds" "$(nproc)" \
  "$magick_note"

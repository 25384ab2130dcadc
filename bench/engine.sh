#!/usr/bin/env bash
# Times the whole program as a desktop launcher starts it, without a screen, on a batch of real
# photographs, against libjpeg-turbo's decode alone (the floor), vipsthumbnail and Pillow:
#
#   bench/engine.sh [rounds]      (default 7 interleaved rounds)
#
# Not part of the test suite. The photos come from Debian wallpaper packages fetched at run time
# into bench/data/engine/ (ignored by git, never committed); a rerun reuses them.
set -euo pipefail

rounds=${1:-7}
if ! [[ $rounds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/engine.sh [rounds]   (a positive number, default 7)" >&2
  exit 2
fi

source "$(dirname "${BASH_SOURCE[0]}")/common.sh" engine

# --- Tools: libjpeg-turbo's djpeg and jpegtran, vipsthumbnail, Pillow, GNU time (for %M).
need_packages libjpeg-turbo-progs libvips-tools python3 python3-pil time

build_program
[ -x "$lumvale" ] || die "no program at $lumvale after tools/setup.sh"

# --- Photos. Of Debian 12's wallpaper packages these two hold real photographs as JPEG
# (gnome-backgrounds ships WebP and drawings, ukui-wallpapers drawings, lomiri-wallpapers a PNG);
# mate-backgrounds has the one slow photo: 17.9 megapixels, progressive, 16 MB.
wallpapers=(lomiri-wallpapers-16.04 lomiri-wallpapers-20.04 mate-backgrounds)
fetch_wallpapers "${wallpapers[@]}"

# Real photos of distinct sizes, 1.5 to 20 megapixels; as shipped, two are baseline and the
# rest progressive, all colour.
originals=(
  Kleiber_by_Lukas_Baubkus.jpg            # 6028x3391, baseline
  seeding_by_Clements_Engelhardt.jpg      # 5312x2988, progressive
  Dragonfly_by_Bolly.jpg                  # 4224x3168, progressive
  sunset_by_Aitzol_Berasategi.jpg         # 4272x2848, progressive
  Wine_by_Jakkub_Mede.jpg                 # 2560x3837 (portrait), progressive
  picosdeeuropa_by_Aitzol_Berasategi.jpg  # 3264x2448, progressive
  free_by_Peter_Nerlich.jpg               # 2880x2160, baseline
  Picture_0B_by_freespace.jpg             # 2572x1740, progressive
  Picture_1A_by_freespace.jpg             # 1365x1074, progressive
)
for f in "${originals[@]}"; do
  [ -f "$data/photos/$f" ] || cp "$src/$f" "$data/photos/$f"
done
# No package has a grayscale photo: two more real photos of other sizes lose their colour with
# libjpeg-turbo's lossless jpegtran, one written sequential (baseline), one progressive.
make_gray() { # source target [jpegtran options]
  local from=$1 to=$2
  shift 2
  if [ ! -f "$data/photos/$to" ]; then
    jpegtran -grayscale -copy all "$@" -outfile "$data/photos/$to.part" "$src/$from"
    mv "$data/photos/$to.part" "$data/photos/$to"
  fi
}
make_gray Bridge_by_Sander_Klootwijk.jpg Bridge_by_Sander_Klootwijk-gray.jpg
make_gray aitzgorri_by_Aitzol_Berasategi.jpg aitzgorri_by_Aitzol_Berasategi-gray-progressive.jpg \
  -progressive
photos=()
for f in "${originals[@]}" Bridge_by_Sander_Klootwijk-gray.jpg \
  aitzgorri_by_Aitzol_Berasategi-gray-progressive.jpg; do
  photos+=("$data/photos/$f")
done
count=${#photos[@]}
# A second batch around one photo several times slower than each of the others (about 0.7 s
# alone, the others 0.06 to 0.16 s), so slow that it alone bounds what per-photo workers can
# reach: the slow photo first, then six of the batch above (baseline, progressive and gray).
slow_name=Elephants_5640x3172.jpg
[ -f "$data/photos/$slow_name" ] ||
  cp "$data/extract/usr/share/backgrounds/mate/abstract/$slow_name" "$data/photos/$slow_name"
slow_batch=("$data/photos/$slow_name")
for f in Kleiber_by_Lukas_Baubkus.jpg free_by_Peter_Nerlich.jpg Picture_0B_by_freespace.jpg \
  Picture_1A_by_freespace.jpg Bridge_by_Sander_Klootwijk-gray.jpg Wine_by_Jakkub_Mede.jpg; do
  slow_batch+=("$data/photos/$f")
done

echo "== Batch ($data/photos)"
"${stats[@]}" list "${photos[@]}" # fails when the batch is not mixed enough
echo
echo "== Batch with one slow photo"
"${stats[@]}" list --any "${slow_batch[@]}"
single=$("${stats[@]}" closest 14.7 "${photos[@]}")
single_name=$(basename "$single")
mapfile -t gray_photos < <("${stats[@]}" gray "${photos[@]}")
# The single photo again as a phone writes a portrait (orientation 6), and with a colour profile.
mapfile -t variants < <("${stats[@]}" variants "$single" "$data/variants")

# --- Runs.
start_work
memory=$work/memory.tsv # what, peak resident KiB
alone0=$work/alone0.tsv # what, seconds: each photo alone in the check round
: >"$memory"
: >"$alone0"

# The program's runs under GNU time, for their peak resident memory.
timed() { # what command...
  shift
  /usr/bin/time -f %M -o "$work/rss" "$@"
}

# What a program run leaves beyond its wall time: its peak memory in the timed rounds, its time
# alone in the check round (to find the slowest photo), and there the check of its outputs.
lumvale_ran() { # what output-folder start end inputs
  local what=$1
  if ((round > 0)) && [[ $what != single* ]]; then
    printf '%s\t%s\n' "$what" "$(tail -n 1 "$work/rss")" >>"$memory"
  fi
  if ((round == 0)) && [[ $what == alone:* ]]; then
    awk -v a="$3" -v b="$4" -v w="$what" \
      'BEGIN { gsub(",", ".", a); gsub(",", ".", b); printf "%s\t%.6f\n", w, b - a }' >>"$alone0"
  fi
  if ((round == 0)); then "${stats[@]}" check-outputs "$2" "$5" --baseline; fi
}

# The other tools' outputs, in the check round: one per photo, each within 800x600.
check_outputs() { # what output-folder
  if ((round == 0)); then "${stats[@]}" check-outputs "$2" "$count"; fi
}

# (a) The floor: libjpeg-turbo decoding each photo, one single-threaded process per photo. A
# grayscale photo is decoded a second time as the program must decode it, quantized to 236
# levels by libjpeg (the second floor, "floorq").
run_floor() {
  local f t0 t1
  for f in "${photos[@]}"; do
    t0=$EPOCHREALTIME
    djpeg -dct float -outfile /dev/null "$f"
    t1=$EPOCHREALTIME
    record "floor:$(basename "$f")" "$t0" "$t1"
  done
  for f in "${gray_photos[@]}"; do
    t0=$EPOCHREALTIME
    djpeg -dct float -colors 236 -outfile /dev/null "$f"
    t1=$EPOCHREALTIME
    record "floorq:$(basename "$f")" "$t0" "$t1"
  done
}

# (d) vipsthumbnail: one process for the batch, its default threads, its own choice of
# shrink-on-load (libjpeg's reduced-scale decoding) included.
vips_into() { # output folder
  vipsthumbnail --size 800x600 -o "$1/%s_vips.jpg[Q=90]" "${photos[@]}"
}

# (e) Pillow: one python3 process; see engine_stats.py's cmd_pillow for what it does per photo.
pillow_into() { # output folder
  "${stats[@]}" pillow "$1" "${photos[@]}"
}

run_step() { # what
  case $1 in
    floor) run_floor ;;
    lumvale) run_lumvale lumvale -- "${photos[@]}" ;; # (b) all workers: environment as is
    lumvale1) run_lumvale lumvale1 LUMVALE_THREADS=1 -- "${photos[@]}" ;; # (c) one worker
    vips) run_contestant vips vips_into ;;
    pillow) run_contestant pillow pillow_into ;;
    single) run_lumvale single -- "$single" ;; # the photo nearest 14.7 MP as a whole process
    single_o6) run_lumvale single_o6 -- "${variants[0]}" ;;
    single_icc) run_lumvale single_icc -- "${variants[1]}" ;;
    alone) run_alone "${photos[@]}" "${slow_batch[0]}" ;; # every photo of both batches
    lumvale_last) run_lumvale lumvale_last -- "${photos_last[@]}" ;; # the slowest photo last
    slow) run_lumvale slow -- "${slow_batch[@]}" ;;
    slow_last) run_lumvale slow_last -- "${slow_batch[@]:1}" "${slow_batch[0]}" ;;
    slow1) run_lumvale slow1 LUMVALE_THREADS=1 -- "${slow_batch[@]}" ;;
  esac
}

# A long list: the batch's photos again and again under other names (hard links), 100 in all,
# with all workers and with one thread, for the memory that photos prepared ahead take.
run_long_list() {
  local long=$work/long i=0 f
  mkdir -p "$long"
  while ((i < 100)); do
    for f in "${photos[@]}"; do
      ((i < 100)) || break
      ln "$f" "$long/$(printf '%03d' "$i")-$(basename "$f")" 2>/dev/null ||
        cp "$f" "$long/$(printf '%03d' "$i")-$(basename "$f")"
      i=$((i + 1))
    done
  done
  local files=("$long"/*.jpg) k
  # The peak depends on which photos the workers happen to make at the same moment: three runs.
  for k in 1 2 3; do
    run_lumvale long -- "${files[@]}"
    run_lumvale long1 LUMVALE_THREADS=1 -- "${files[@]}"
  done
}

steps=(floor lumvale lumvale1 vips pillow single single_o6 single_icc)
echo
echo "== Tools"
"$lumvale" --version
djpeg -version 2>&1 | head -n 1
vipsthumbnail --vips-version
/usr/bin/python3 -c 'import PIL, sys; print("Pillow", PIL.__version__ + ", Python", sys.version.split()[0])'
machine_notes

# The check round checks the outputs with Pillow: 800x600 at most, and baseline for the program.
check_round "${steps[@]}" alone slow slow_last slow1
echo "every run exited 0 and wrote one output per input; all outputs fit 800x600;" \
  "the program's are baseline"
# The mixed batch with its slowest photo (alone, in the check round) placed last.
slowest=$(sort -t $'\t' -k2,2 -g "$alone0" | grep -v "alone:$slow_name" | tail -n 1 | cut -f1)
slowest=${slowest#alone:}
photos_last=()
for f in "${photos[@]}"; do [ "$(basename "$f")" = "$slowest" ] || photos_last+=("$f"); done
photos_last+=("$data/photos/$slowest")
echo "slowest photo of the mixed batch alone: $slowest"
run_step lumvale_last
steps+=(alone lumvale_last slow slow_last slow1)

timed_rounds "${steps[@]}"

echo
echo "== Long list (once, for memory)"
round=$((rounds + 1))
run_long_list
echo "100 photos with all workers and with one thread, three times each: done"
round=$rounds

# The batches of the schedule bound: label, runs (all workers as listed, with the slowest photo
# last, one thread), and the photos.
batches=$work/batches.tsv
{
  printf 'mixed\tlumvale\tlumvale_last\tlumvale1'
  printf '\t%s' "${photos[@]}"
  printf '\nslow photo\tslow\tslow_last\tslow1'
  printf '\t%s' "${slow_batch[@]}"
  printf '\n'
} >"$batches"

echo
echo "== Results ($count photos; single photo: $single_name)"
"${stats[@]}" report "$times" "$memory" "$rounds" "$(nproc)" "$single_name" "$batches"

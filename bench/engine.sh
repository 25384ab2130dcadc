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

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${LUMVALE_BUILD:-$root/build}
data=$root/bench/data/engine
# Debian's own python3: the one first on PATH (pyenv, a venv) may lack python3-pil's Pillow.
stats=(/usr/bin/python3 "$root/bench/engine_stats.py")

die() {
  echo "engine.sh: $*" >&2
  exit 1
}

# --- Tools: libjpeg-turbo's djpeg and jpegtran, vipsthumbnail, Pillow, GNU time (for %M).
source "$root/tools/packages.sh"
need_packages libjpeg-turbo-progs libvips-tools python3 python3-pil time

# The program as run.sh builds it (Release, into build/ or $LUMVALE_BUILD).
"$root/tools/setup.sh" >/dev/null
lumvale=$build/app/lumvale
[ -x "$lumvale" ] || die "no program at $lumvale after tools/setup.sh"

# --- Photos. Of Debian 12's wallpaper packages these two hold real photographs as JPEG
# (gnome-backgrounds ships WebP and drawings, ukui-wallpapers drawings, lomiri-wallpapers a PNG);
# mate-backgrounds has the one slow photo: 17.9 megapixels, progressive, 16 MB.
wallpapers=(lomiri-wallpapers-16.04 lomiri-wallpapers-20.04 mate-backgrounds)
mkdir -p "$data/debs" "$data/extract" "$data/photos"
for p in "${wallpapers[@]}"; do
  if ! compgen -G "$data/debs/${p}_*.deb" >/dev/null; then
    # apt-get download needs the package lists; fetch them once when it cannot find the package.
    if ! (cd "$data/debs" && apt-get download -qq "$p" 2>/dev/null); then
      if [ "$(id -u)" -ne 0 ]; then sudo apt-get update -qq; else apt-get update -qq; fi
      (cd "$data/debs" && apt-get download -qq "$p")
    fi
  fi
done
for deb in "$data"/debs/*.deb; do
  marker=$data/extract/.$(basename "$deb").done
  if [ ! -e "$marker" ]; then
    dpkg-deb -x "$deb" "$data/extract"
    touch "$marker"
  fi
done
src=$data/extract/usr/share/backgrounds

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

# --- Runs. Everything temporary lives in one folder, removed at the end.
work=$(mktemp -d "${TMPDIR:-/tmp}/lumvale-engine.XXXXXX")
trap 'rm -rf "$work"' EXIT
config=$work/config # XDG_CONFIG_HOME of every program run
mkdir -p "$config/Lumvale"
times=$work/times.tsv   # round, what, start, end ($EPOCHREALTIME)
memory=$work/memory.tsv # what, peak resident KiB
alone0=$work/alone0.tsv # what, seconds: each photo alone in the check round
: >"$times"
: >"$memory"
: >"$alone0"

# The profile "Bench" in the program's settings file (QSettings' INI format, profiles in the
# group "profiles", every value a string, see app/Profiles.cpp), its output folder the fresh
# folder of this run: an existing output would be skipped without a question in this mode, and
# the skip would fake the timing. Quoted, so that a comma in the path does not make a list.
write_profile() { # output folder
  local out=${1//\\/\\\\}
  out=${out//\"/\\\"}
  cat >"$config/Lumvale/Lumvale.ini" <<EOF
[profiles]
Bench\\maxwidth=800
Bench\\cbmaxwidth=1
Bench\\maxheight=600
Bench\\cbmaxheight=1
Bench\\quality=90
Bench\\cbfilesize=0
Bench\\filesize=100
Bench\\cbprogressive=0
Bench\\ext=small
Bench\\pathtype=1
Bench\\defpath="$out"
EOF
}

# One timed command: appends its wall time to $times unless the round is 0 (the check round).
round=0
record() { # what start end
  if ((round > 0)); then printf '%s\t%s\t%s\t%s\n' "$round" "$1" "$2" "$3" >>"$times"; fi
}

fresh_output() { mktemp -d "$work/out.XXXXXX"; }

# Checks what a run left: exit code 0 and one output per input; loud failure otherwise.
check_run() { # what rc log output-folder inputs
  local what=$1 rc=$2 log=$3 out=$4 inputs=$5 made
  made=$(find "$out" -maxdepth 1 -type f -name '*.jpg' | wc -l)
  if [ "$rc" -ne 0 ] || [ "$made" -ne "$inputs" ]; then
    echo "engine.sh: $what (round $round) exited $rc and wrote $made of $inputs outputs;" \
      "its log:" >&2
    cat "$log" >&2
    exit 1
  fi
}

# The program as a desktop launcher starts it, without a screen; extra environment first.
run_lumvale() { # what extra-env... -- files...
  local what=$1 envs=() rc=0 out t0 t1
  shift
  while [ "$1" != -- ]; do
    envs+=("$1")
    shift
  done
  shift
  out=$(fresh_output)
  write_profile "$out"
  t0=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/rss" \
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$config" \
    "${envs[@]}" "$lumvale" -p:Bench "$@" </dev/null >"$work/log" 2>&1 || rc=$?
  t1=$EPOCHREALTIME
  check_run "$what" "$rc" "$work/log" "$out" $#
  record "$what" "$t0" "$t1"
  if ((round > 0)) && [[ $what != single* ]]; then
    printf '%s\t%s\n' "$what" "$(tail -n 1 "$work/rss")" >>"$memory"
  fi
  if ((round == 0)) && [[ $what == alone:* ]]; then
    awk -v a="$t0" -v b="$t1" -v w="$what" \
      'BEGIN { gsub(",", ".", a); gsub(",", ".", b); printf "%s\t%.6f\n", w, b - a }' >>"$alone0"
  fi
  if ((round == 0)); then "${stats[@]}" check-outputs "$out" $# --baseline; fi
  rm -rf "$out"
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
run_vips() {
  local out rc=0 t0 t1
  out=$(fresh_output)
  t0=$EPOCHREALTIME
  vipsthumbnail --size 800x600 -o "$out/%s_vips.jpg[Q=90]" "${photos[@]}" >"$work/log" 2>&1 || rc=$?
  t1=$EPOCHREALTIME
  check_run vips "$rc" "$work/log" "$out" "$count"
  record vips "$t0" "$t1"
  if ((round == 0)); then "${stats[@]}" check-outputs "$out" "$count"; fi
  rm -rf "$out"
}

# (e) Pillow: one python3 process; see engine_stats.py's cmd_pillow for what it does per photo.
run_pillow() {
  local out rc=0 t0 t1
  out=$(fresh_output)
  t0=$EPOCHREALTIME
  "${stats[@]}" pillow "$out" "${photos[@]}" >"$work/log" 2>&1 || rc=$?
  t1=$EPOCHREALTIME
  check_run pillow "$rc" "$work/log" "$out" "$count"
  record pillow "$t0" "$t1"
  if ((round == 0)); then "${stats[@]}" check-outputs "$out" "$count"; fi
  rm -rf "$out"
}

run_step() { # what
  case $1 in
    floor) run_floor ;;
    lumvale) run_lumvale lumvale -- "${photos[@]}" ;; # (b) all workers: environment as is
    lumvale1) run_lumvale lumvale1 LUMVALE_THREADS=1 -- "${photos[@]}" ;; # (c) one worker
    vips) run_vips ;;
    pillow) run_pillow ;;
    single) run_lumvale single -- "$single" ;; # the photo nearest 14.7 MP as a whole process
    single_o6) run_lumvale single_o6 -- "${variants[0]}" ;;
    single_icc) run_lumvale single_icc -- "${variants[1]}" ;;
    alone) run_alone ;;
    lumvale_last) run_lumvale lumvale_last -- "${photos_last[@]}" ;; # the slowest photo last
    slow) run_lumvale slow -- "${slow_batch[@]}" ;;
    slow_last) run_lumvale slow_last -- "${slow_batch[@]:1}" "${slow_batch[0]}" ;;
    slow1) run_lumvale slow1 LUMVALE_THREADS=1 -- "${slow_batch[@]}" ;;
  esac
}

# Every photo of both batches alone, as a whole process with all workers: the slowest of a batch
# bounds it from below however many cores there are.
run_alone() {
  local f
  for f in "${photos[@]}" "${slow_batch[0]}"; do run_lumvale "alone:$(basename "$f")" -- "$f"; done
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
echo "cores (nproc): $(nproc); $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
if [ -n "${LUMVALE_THREADS:-}" ]; then
  echo "note: LUMVALE_THREADS=$LUMVALE_THREADS is set and applies to the all-workers runs too"
fi

# Round 0 runs everything once untimed: it warms the page cache and checks the outputs (800x600
# at most, and baseline for the program) with Pillow.
echo
echo "== Check round (untimed)"
for s in "${steps[@]}" alone slow slow_last slow1; do run_step "$s"; done
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

# Interleaved rounds, each starting one step later, so that no contestant always follows the
# same one (caches, clock speed).
echo
echo "== $rounds timed rounds"
for ((round = 1; round <= rounds; round++)); do
  for ((i = 0; i < ${#steps[@]}; i++)); do
    run_step "${steps[(i + round - 1) % ${#steps[@]}]}"
  done
  printf 'round %d of %d done\n' "$round" "$rounds"
done

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

# Sourced by the benchmarks that time the whole program on a batch of photos against other tools
# (bench/engine.sh, bench/heif.sh), as `source bench/common.sh NAME` once their arguments are read.
# It sets
#   root, build                the source tree and the build folder ($LUMVALE_BUILD or build/)
#   data, stats                bench/data/NAME/ and the command of bench/NAME_stats.py
#   round                      0: the check round, untimed; timed_rounds counts from 1
# and offers
#   die MESSAGE...             MESSAGE on stderr after "NAME.sh:", then exit 1
#   need_packages PACKAGE...   from tools/packages.sh
#   build_program              tools/setup.sh, then lumvale is the program it built
#   fetch_wallpapers [--copy-from DIR] PACKAGE...
#                              the packages' .deb files in $data/debs (copied from DIR when there,
#                              else apt-get download), unpacked into $data/extract; src is their
#                              usr/share/backgrounds
#   start_work                 the run's temporary folder $work (removed at exit), with the
#                              program's settings folder $config and the empty wall-time file $times
#   record WHAT START END      a wall time into $times, unless in the check round
#   fresh_output               prints a new empty output folder below $work
#   check_run WHAT RC LOG OUTPUT-FOLDER INPUTS
#                              exit code 0 and one output per input, or the log and exit 1
#   run_lumvale WHAT [ENV...] -- FILE...
#                              the program on FILE..., without a screen, checked and recorded
#   run_contestant WHAT WRITER another tool on the batch: WRITER (a function) gets a fresh output
#                              folder and must leave one JPEG per photo of $photos in it
#   run_alone PHOTO...         run_lumvale on each photo alone, named alone:<file name>
#   machine_notes [LINE...]    the cores, the LINEs, and a note when LUMVALE_THREADS is set
#   check_round STEP...        each step once, untimed
#   timed_rounds STEP...       $rounds interleaved rounds of the steps
# The sourcing script defines what differs between the benchmarks:
#   run_step STEP              one step of its rounds
#   timed WHAT COMMAND...      runs the command of a program run, keeping what it measures beyond
#                              the wall time
#   lumvale_ran WHAT OUTPUT-FOLDER START END INPUTS
#                              its own look at a program run that exited well
#   check_outputs WHAT OUTPUT-FOLDER
#                              its own look at the outputs of another tool
# and sets photos, count (their number) and rounds.

bench=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${LUMVALE_BUILD:-$root/build}
data=$root/bench/data/$bench
# Debian's own python3: the one first on PATH (pyenv, a venv) may lack python3-pil's Pillow.
stats=(/usr/bin/python3 "$root/bench/${bench}_stats.py")
round=0

die() {
  echo "$bench.sh: $*" >&2
  exit 1
}

source "$root/tools/packages.sh"

# The program as run.sh builds it (Release, into build/ or $LUMVALE_BUILD).
build_program() {
  "$root/tools/setup.sh" >/dev/null
  lumvale=$build/app/lumvale
}

# The photos come from Debian wallpaper packages, fetched once and reused by every later run.
fetch_wallpapers() { # [--copy-from folder] package...
  local from='' p deb marker
  if [ "${1:-}" = --copy-from ]; then
    from=$2
    shift 2
  fi
  mkdir -p "$data/debs" "$data/extract" "$data/photos"
  for p in "$@"; do
    compgen -G "$data/debs/${p}_*.deb" >/dev/null && continue
    if [ -n "$from" ]; then
      for deb in "$from/${p}"_*.deb; do
        if [ -f "$deb" ]; then cp "$deb" "$data/debs/"; fi
      done
      compgen -G "$data/debs/${p}_*.deb" >/dev/null && continue
    fi
    # apt-get download needs the package lists; fetch them once when it cannot find the package.
    if ! (cd "$data/debs" && apt-get download -qq "$p" 2>/dev/null); then
      if [ "$(id -u)" -ne 0 ]; then sudo apt-get update -qq; else apt-get update -qq; fi
      (cd "$data/debs" && apt-get download -qq "$p")
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
}

# Everything temporary of the runs lives in one folder, removed at the end.
start_work() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/lumvale-$bench.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  config=$work/config # XDG_CONFIG_HOME of every program run
  mkdir -p "$config/Lumvale"
  times=$work/times.tsv # round, what, start, end ($EPOCHREALTIME)
  : >"$times"
}

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
record() { # what start end
  if ((round > 0)); then printf '%s\t%s\t%s\t%s\n' "$round" "$1" "$2" "$3" >>"$times"; fi
}

fresh_output() { mktemp -d "$work/out.XXXXXX"; }

# Checks what a run left: exit code 0 and one output per input; loud failure otherwise.
check_run() { # what rc log output-folder inputs
  local what=$1 rc=$2 log=$3 out=$4 inputs=$5 made
  made=$(find "$out" -maxdepth 1 -type f -name '*.jpg' | wc -l)
  if [ "$rc" -ne 0 ] || [ "$made" -ne "$inputs" ]; then
    echo "$bench.sh: $what (round $round) exited $rc and wrote $made of $inputs outputs;" \
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
  timed "$what" env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
    XDG_CONFIG_HOME="$config" "${envs[@]}" "$lumvale" -p:Bench "$@" \
    </dev/null >"$work/log" 2>&1 || rc=$?
  t1=$EPOCHREALTIME
  check_run "$what" "$rc" "$work/log" "$out" $#
  record "$what" "$t0" "$t1"
  lumvale_ran "$what" "$out" "$t0" "$t1" $#
  rm -rf "$out"
}

# Another tool on the whole batch, timed as the program is; the writer's output and errors go to
# the log that check_run shows when it fails.
run_contestant() { # what writer
  local what=$1 rc=0 out t0 t1
  out=$(fresh_output)
  t0=$EPOCHREALTIME
  "$2" "$out" >"$work/log" 2>&1 || rc=$?
  t1=$EPOCHREALTIME
  check_run "$what" "$rc" "$work/log" "$out" "$count"
  record "$what" "$t0" "$t1"
  check_outputs "$what" "$out"
  rm -rf "$out"
}

# Each photo alone, as a whole process with all workers: the slowest of a batch bounds it from
# below however many cores there are.
run_alone() { # photo...
  local f
  for f in "$@"; do run_lumvale "alone:$(basename "$f")" -- "$f"; done
}

# The machine the figures come from.
machine_notes() { # [line...] printed after the cores
  echo "cores (nproc): $(nproc); $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
  if (($#)); then printf '%s\n' "$@"; fi
  if [ -n "${LUMVALE_THREADS:-}" ]; then
    echo "note: LUMVALE_THREADS=$LUMVALE_THREADS is set and applies to the all-workers runs too"
  fi
}

# Round 0 runs every step once untimed: it warms the page cache and checks the outputs.
check_round() { # step...
  local s
  echo
  echo "== Check round (untimed)"
  for s in "$@"; do run_step "$s"; done
}

# Interleaved rounds, each starting one step later, so that no contestant always follows the
# same one (caches, clock speed).
timed_rounds() { # step...
  local order=("$@") i
  echo
  echo "== $rounds timed rounds"
  for ((round = 1; round <= rounds; round++)); do
    for ((i = 0; i < ${#order[@]}; i++)); do
      run_step "${order[(i + round - 1) % ${#order[@]}]}"
    done
    printf 'round %d of %d done\n' "$round" "$rounds"
  done
  round=$rounds
}

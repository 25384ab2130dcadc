#!/usr/bin/env bash
# Fails when the program's version is written into a C++ source: it is set once, in
# project(Lumvale VERSION ...) of the top CMakeLists.txt, and the code reads it from the Version.h
# that CMake makes, so that a new version is one edit.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
version=$(sed -nE 's/^project\(Lumvale VERSION ([0-9]+)\.([0-9]+)\.([0-9]+)[ )].*/\1.\2.\3/p' CMakeLists.txt)
if [ -z "$version" ]; then
  echo "CMakeLists.txt has no project(Lumvale VERSION major.minor.patch ...)" >&2
  exit 1
fi
IFS=. read -r major minor patch <<<"$version"
number=$((major * 10000 + minor * 100 + patch))
# The forms a version takes in code: "1.2.3", the web number, and the parts listed one by one.
patterns=(
  "(^|[^0-9.])${major}\\.${minor}\\.${patch}([^0-9]|$)"
  "(^|[^0-9])${number}([^0-9]|$)"
  "\"${major}\", *\"${minor}\", *\"${patch}\""
)
# Tracked and new files alike; files deleted from the working tree are gone.
mapfile -t sources < <(
  { git ls-files --cached --others --exclude-standard '*.cpp' '*.h' 2>/dev/null ||
      find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print; } |
    sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done)
status=0
for pattern in "${patterns[@]}"; do
  if grep -nE "$pattern" "${sources[@]}" >&2; then status=1; fi
done
if [ $status -ne 0 ]; then
  echo "the version $version is written above; take it from Version.h (kVersion, kVersionNumber)" >&2
else
  echo "version $version: only in CMakeLists.txt (${#sources[@]} sources checked)"
fi
exit $status

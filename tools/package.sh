#!/usr/bin/env bash
# Builds the Debian package: tools/package.sh [OUTPUT_FOLDER]  (default: build-package/)
# A Release build with the installation prefix /usr in build-package/, then CPack; prints the
# path of lumvale_<version>_amd64.deb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null  # the packages the build needs (dpkg-dev among them)
build=$root/build-package
out=$(mkdir -p "${1:-$build}" && cd "${1:-$build}" && pwd)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DLUMVALE_TESTS=OFF -DLUMVALE_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
ls "$out"/lumvale_*_amd64.deb

#!/usr/bin/env bash
# Validates the desktop entry, the AppStream file and the manual page with the tools their
# projects make: validate.sh ENTRY.desktop METAINFO.xml MANPAGE. Exit code 77 (skipped) when a
# tool is missing.
set -euo pipefail
for tool in desktop-file-validate appstreamcli groff; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (./test.sh installs it)"
    exit 77
  fi
done
desktop-file-validate "$1"
appstreamcli validate --no-net --explain "$2"
# groff reports what it cannot read as warnings on standard error.
warnings=$(groff -man -Tutf8 -ww -z "$3" 2>&1)
if [ -n "$warnings" ]; then
  echo "$warnings"
  exit 1
fi
echo "valid: $(basename "$1"), $(basename "$2"), $(basename "$3")"

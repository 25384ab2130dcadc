#!/usr/bin/env bash
# Fails when a text the program marks for translation (Translate("..."), N_("...")) has no
# translated entry in po/de.po or po/it.po, or when the two catalogues differ in their texts.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$root"
# Tracked and new files alike; files deleted from the working tree are gone.
mapfile -t sources < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' 2>/dev/null |
  grep -v '/tests/' | sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done || true)
if [ ${#sources[@]} -eq 0 ]; then
  mapfile -t sources < <(find app engine i18n input profiles imaging platform -name '*.cpp' -o -name '*.h' | grep -v '/tests/')
fi
xgettext --language=C++ --from-code=UTF-8 --keyword=Translate --keyword=N_ \
  --omit-header -o "$tmp/program.pot" "${sources[@]}"
status=0
for po in po/de.po po/it.po; do
  msgfmt --check -o /dev/null "$po" || status=1
  # Catalogue entries for texts of windows not built yet are fine: only missing ones count.
  if [ -s "$tmp/program.pot" ]; then
    msgcmp "$po" "$tmp/program.pot" 2>"$tmp/msgcmp.log" || status=1
    grep -v 'this message is not used' "$tmp/msgcmp.log" >&2 || true
  fi
done
msgcmp po/de.po po/it.po || status=1
msgcmp po/it.po po/de.po || status=1
texts=$(grep -c '^msgid "' "$tmp/program.pot" 2>/dev/null || echo 0)
if [ $status -eq 0 ]; then
  echo "catalogues complete: $texts marked texts found in both catalogues"
fi
exit $status

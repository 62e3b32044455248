#!/usr/bin/env bash
# The English translation is complete: lupdate run over the windows' and the
# printed forms' sources adds no text to a copy of the .ts that has no
# translation, and lrelease finds every text translated. Another program's
# .ts and sources may follow (the worker's client: TS FOLDER...).
set -euo pipefail
source=$1 lupdate=$2 lrelease=$3
ts=${4:-res/translations/vornal_en.ts}
folders=("${@:5}")
[ ${#folders[@]} -gt 0 ] || folders=(src/gui src/report res)
work=$(mktemp -d "${TMPDIR:-/tmp}/vornal-ts-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$source/$ts" "$work/vornal_en.ts"
"$lupdate" -I "$source/src" -I "$source/src/client" -locations none -no-obsolete "${folders[@]/#/$source/}" \
  -ts "$work/vornal_en.ts" >"$work/lupdate.out" 2>&1
if grep -q 'type="unfinished"' "$work/vornal_en.ts"; then
  echo "texts without an English translation (run the update_translations target):"
  grep -B1 'type="unfinished"' "$work/vornal_en.ts" | grep '<source>'
  exit 1
fi
"$lrelease" "$work/vornal_en.ts" -qm "$work/vornal_en.qm" >"$work/lrelease.out"
cat "$work/lrelease.out"
grep -Eq 'Generated [0-9]+ translation\(s\) \(([0-9]+) finished and 0 unfinished\)' \
  "$work/lrelease.out"
! grep -q 'Ignored' "$work/lrelease.out"

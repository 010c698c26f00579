#!/usr/bin/env bash
# Reads every archive in the folder with three independent readers and
# compares the names they list with the .names file beside the archive.
set -u
dir="$1"
status=0
count=0
for archive in "$dir"/*.zip; do
  [ -e "$archive" ] || continue
  count=$((count + 1))
  base="${archive%.zip}"
  if ! python3 -m zipfile -t "$archive" >/dev/null 2>"$base.python.log"; then
    echo "python zipfile rejects $archive"; cat "$base.python.log"; status=1
  fi
  # unzip warns (exit 1) about an archive without entries; the empty first
  # part of a set is one by design, and the other readers still check it.
  if ! unzip -tqq "$archive" >"$base.unzip.log" 2>&1 && ! grep -q "zipfile is empty" "$base.unzip.log"; then
    echo "unzip rejects $archive"; tail -5 "$base.unzip.log"; status=1
  fi
  if ! 7z t "$archive" >"$base.7z.log" 2>&1; then
    echo "7z rejects $archive"; tail -5 "$base.7z.log"; status=1
  fi
  if [ -f "$base.names" ]; then
    listed=$(python3 - "$archive" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for info in z.infolist():
        name = info.filename
        if not info.flag_bits & 0x800:
            name = name.encode('cp437').decode('cp850')
        print(name)
PY
)
    if [ "$listed" != "$(cat "$base.names" | sed 's/\r$//')" ]; then
      echo "names differ in $archive:"; diff <(echo "$listed") "$base.names" | head -20; status=1
    fi
  fi
done
if [ "$count" -eq 0 ]; then echo "no archives in $dir"; exit 1; fi
echo "$count archives read cleanly by python zipfile, unzip and 7z"
exit $status

#!/usr/bin/env bash
# Times the ZIP writer (under wine) against Info-ZIP zip -6 and 7-Zip
# (-tzip -mx=5) on the same generated files, in the same run.
# Usage: bench/zip/run.sh [MEGABYTES] [PRESET: win32 (default) or win64]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
megabytes=${1:-500}
preset=${2:-win32}
work=${QV_BENCH_DIR:-/tmp/qv-zipbench}
scripts/setup.sh >/dev/null
cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target zipbench >/dev/null
[ -d "$work/data" ] || python3 bench/zip/make_data.py "$work/data" "$megabytes"
rm -f "$work"/*.zip
export WINEPREFIX="$root/build/$preset/wineprefix" WINEDEBUG=-all LC_ALL=de_DE.UTF-8
bytes=$(du -sb "$work/data" | cut -f1)
mb=$(python3 -c "print($bytes/1048576)")
# Warm the page cache so that every tool reads from memory.
cat "$work"/data/* >/dev/null

t0=$(date +%s.%N)
(cd "$work/data" && zip -6 -r -q "$work/infozip.zip" .)
t1=$(date +%s.%N)
(cd "$work/data" && 7z a -tzip -mx=5 -bd "$work/7zip.zip" . >/dev/null)
t2=$(date +%s.%N)
read -r _ quorvel_seconds < <(cmake/wine-run.sh "build/$preset/bench/zipbench.exe" "Z:${work//\//\\}\\data" "Z:${work//\//\\}\\quorvel.zip" | tr -d '\r')
zip_s=$(python3 -c "print($t1-$t0)"); sevenzip_s=$(python3 -c "print($t2-$t1)")
QV_PRESET=$preset python3 - "$mb" "$zip_s" "$sevenzip_s" "$quorvel_seconds" "$work" <<'PY'
import os, sys
mb, z, s7, q, work = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
size = lambda n: os.path.getsize(os.path.join(work, n))
print(f"input: {mb:.0f} MB")
print(f"{'tool':<22}{'seconds':>9}{'MB/s':>9}{'archive MB':>12}{'size vs zip':>13}{'speed vs zip':>14}")
for name, secs, f in [("zip -6", z, "infozip.zip"), ("7z -tzip -mx=5", s7, "7zip.zip"), (f"Quorvel ({os.environ.get('QV_PRESET','wine')})", q, "quorvel.zip")]:
    print(f"{name:<22}{secs:9.2f}{mb/secs:9.1f}{size(f)/1048576:12.1f}{size(f)/size('infozip.zip')*100-100:+12.2f}%{z/secs:13.2f}x")
PY

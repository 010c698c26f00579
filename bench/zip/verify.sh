#!/usr/bin/env bash
# Times reading an archive back: quorvel's reader (under wine) against
# Info-ZIP unzip -t on the same archive, in the same run. The archive comes
# from bench/zip/run.sh (its Info-ZIP archive of the generated data).
# Usage: bench/zip/verify.sh [PRESET: win32 (default) or win64]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
preset=${1:-win32}
work=${QV_BENCH_DIR:-/tmp/qv-zipbench}
[ -f "$work/infozip.zip" ] || bench/zip/run.sh 200 "$preset" >/dev/null
cmake --build --preset "$preset" --target verifybench >/dev/null
export WINEPREFIX="$root/build/$preset/wineprefix" WINEDEBUG=-all LC_ALL=de_DE.UTF-8
archive="$work/infozip.zip"
cat "$archive" >/dev/null
t0=$(date +%s.%N)
unzip -tqq "$archive" >/dev/null
t1=$(date +%s.%N)
read -r bytes quorvel_seconds state < <(cmake/wine-run.sh "build/$preset/bench/verifybench.exe" "Z:${archive//\//\\}" | tr -d '\r')
python3 - "$bytes" "$(python3 -c "print($t1-$t0)")" "$quorvel_seconds" "$state" <<'PY'
import sys
mb, unzip, quorvel, state = int(sys.argv[1]) / 1048576, float(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
print(f"archive: {mb:.0f} MB ({state})")
print(f"unzip -t           {unzip:8.2f} s {mb/unzip:8.1f} MB/s")
print(f"Quorvel verify     {quorvel:8.2f} s {mb/quorvel:8.1f} MB/s  ({unzip/quorvel:.2f}x unzip's speed)")
PY

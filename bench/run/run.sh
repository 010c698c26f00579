#!/usr/bin/env bash
# Times one backup run of quorvel-cli (under wine: table check, three copies,
# archive sets) against the same work done serially by the host's tools
# (cp three times, zip -6 -r) and against pigz -6 as the parallel reference,
# all in one invocation over the same generated database.
# Usage: bench/run/run.sh [MEGABYTES (300)] [TABLES (30)] [PRESETS ("win32 win64")]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
megabytes=${1:-300}
tables=${2:-30}
presets=${3:-win32 win64}
work=${QV_BENCH_DIR:-/tmp/qv-runbench}
scripts/setup.sh >/dev/null
for preset in $presets; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target quorvel-cli qv-adtgen >/dev/null
done
first=${presets%% *}
winpath() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }

# A database of tables with memo and index files, made once per size.
db="$work/db-${megabytes}mb-${tables}"
if [ ! -d "$db" ]; then
  # A customer record with its memo takes about 175 bytes.
  records=$((megabytes * 1000000 / tables / 175))
  mkdir -p "$db.tmp"
  for i in $(seq 1 "$tables"); do
    cmake/wine-run.sh "build/$first/tools/qv-adtgen.exe" table "$(winpath "$db.tmp")" \
      "TABELLE$i" customers "$records" >/dev/null
  done
  mv "$db.tmp" "$db"
fi
bytes=$(du -sb "$db" | cut -f1)
cat "$db"/* >/dev/null  # every tool reads from the page cache

results="$work/results.txt"
: >"$results"
load() { cut -d' ' -f1 /proc/loadavg; }

# Serial baseline: the run's three copies and zip -6 over the database folder.
rm -rf "$work/serial" && mkdir -p "$work/serial"
l=$(load); t0=$(now)
for copy in scratch DATA DATA2; do cp -r "$db" "$work/serial/$copy"; done
(cd "$db" && zip -6 -r -q "$work/serial/datenbank.zip" .)
t1=$(now)
echo "serial cp x3 + zip -6 -r|$(echo "$t1 - $t0" | bc)|$(stat -c %s "$work/serial/datenbank.zip")|$l" >>"$results"
rm -rf "$work/serial"/{scratch,DATA,DATA2}

# Parallel reference: pigz -6 over the same files (compression only).
l=$(load); t0=$(now)
(cd "$db" && tar cf - . | pigz -6 >"$work/serial/pigz.tar.gz")
t1=$(now)
echo "pigz -6 over tar|$(echo "$t1 - $t0" | bc)|$(stat -c %s "$work/serial/pigz.tar.gz")|$l" >>"$results"

for preset in $presets; do
  inst="$work/$preset"
  rm -rf "$inst" && mkdir -p "$inst/Programm" "$inst/Sicherungen"
  cp "build/$preset/src/cli/quorvel-cli.exe" "$inst/Programm/"
  cmake/wine-run.sh "$inst/Programm/quorvel-cli.exe" --version >/dev/null  # wine is up
  l=$(load); t0=$(now)
  if ! cmake/wine-run.sh "$inst/Programm/quorvel-cli.exe" run --target "$(winpath "$inst/Sicherungen")" \
    --db "$(winpath "$db")" >"$inst/run.log" 2>&1; then
    echo "quorvel-cli run ($preset) failed:"; tail -20 "$inst/run.log"; exit 1
  fi
  t1=$(now)
  archive=$(find "$inst/Sicherungen" -path '*DATABASEBACKUP/ZIP/*' -name '*.zip' -printf '%s\n' |
    awk '{s += $1} END {print s}')
  unzip -tqq "$(find "$inst/Sicherungen" -path '*DATABASEBACKUP/ZIP/*' -name 'datenbank.zip')" >/dev/null
  echo "quorvel-cli run ($preset)|$(echo "$t1 - $t0" | bc)|$archive|$l" >>"$results"
done

python3 - "$bytes" "$results" "$(nproc)" <<'PY'
import sys
total, rows, cores = int(sys.argv[1]), [l.rstrip("\n").split("|") for l in open(sys.argv[2])], sys.argv[3]
mb = total / 1e6
base_s, base_size = float(rows[0][1]), int(rows[0][2])
print(f"input: {mb:.0f} MB in the database folder, {cores} cores")
print(f"{'':<30}{'seconds':>9}{'MB/s':>8}{'archive MB':>12}{'size/zip -6':>13}{'time/serial':>13}{'load at start':>15}")
for name, secs, size, load in rows:
    s, z = float(secs), int(size)
    print(f"{name:<30}{s:9.2f}{mb / s:8.1f}{z / 1e6:12.2f}{z / base_size:13.4f}{s / base_s:13.3f}{load:>15}")
PY

#!/usr/bin/env bash
# Times one backup run of quorvel-cli (under wine: table check, three copies,
# archive sets) against the same work done serially by the host's tools
# (cp three times, zip -6 -r) and against pigz -6 as the parallel reference,
# all in one invocation over the same generated database. Besides the times it
# prints the CPU time the machine spent on each, divided by the cores: the
# least time/serial that work could reach even with every core busy throughout.
# Every measurement runs in QV_BENCH_ROUNDS rounds (3); the fastest counts.
# Usage: bench/run/run.sh [MEGABYTES (300)] [TABLES (30)] [PRESETS ("win32 win64")]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
megabytes=${1:-300}
tables=${2:-30}
presets=${3:-win32 win64}
rounds=${QV_BENCH_ROUNDS:-3}
work=${QV_BENCH_DIR:-/tmp/qv-runbench}
scripts/setup.sh >/dev/null
for preset in $presets; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target quorvel-cli qv-adtgen >/dev/null
done
first=${presets%% *}
# One display for every run: a display started per run would be timed with it.
. scripts/lib/virtual-display.sh
winpath() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }

# Wine's server is kept between the programs of one prefix: one that ends
# while the next program connects drops that program ("recvmsg" errors). A
# persistent one starts only once the server of the first program has ended.
# Whatever stops the benchmark, the servers it kept (and their programs) end.
kept_prefixes=()
keep_server() {
  WINEPREFIX="$QV_BUILD_DIR/wineprefix" wineserver -w
  WINEPREFIX="$QV_BUILD_DIR/wineprefix" wineserver -p
  kept_prefixes+=("$QV_BUILD_DIR/wineprefix")
}
end_servers() { for p in "${kept_prefixes[@]}"; do WINEPREFIX="$p" wineserver -k 2>/dev/null || true; done; }
trap 'end_servers; [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null' EXIT
# Wine's desktop process of the current prefix (other prefixes may have theirs).
desktop_process() {
  for pid in $(pgrep -f 'explorer.exe /desktop'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null |
      grep -qx "WINEPREFIX=$QV_BUILD_DIR/wineprefix" && echo "$pid"
  done
  true
}
# The generator runs in a prefix of the benchmark's own, made by a first call.
export QV_BUILD_DIR="$work/wine-generator"
mkdir -p "$QV_BUILD_DIR"
cmake/wine-run.sh "build/$first/tools/qv-adtgen.exe" >/dev/null 2>&1 || true
keep_server

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
# A small database for the warm-up run.
small="$work/db-small"
if [ ! -d "$small" ]; then
  mkdir -p "$small.tmp"
  cmake/wine-run.sh "build/$first/tools/qv-adtgen.exe" table "$(winpath "$small.tmp")" \
    TABELLE1 customers 100 >/dev/null
  mv "$small.tmp" "$small"
fi
WINEPREFIX="$QV_BUILD_DIR/wineprefix" wineserver -k || true
unset QV_BUILD_DIR
bytes=$(du -sb "$db" | cut -f1)
cat "$db"/* >/dev/null  # every tool reads from the page cache

results="$work/results.txt"
: >"$results"
load() { cut -d' ' -f1 /proc/loadavg; }
# Busy CPU time of the whole machine in clock ticks: it counts the wine
# server and every helper process too, which the run's own times would miss.
busy() { awk '/^cpu /{print $2 + $3 + $4 + $7 + $8 + $9}' /proc/stat; }
ticks=$(getconf CLK_TCK)
# Written data of one measurement is on disk before the next starts.
settle() { sync; sleep 1; }
cpu_since() { echo "scale=2; ($(busy) - $1) / $ticks" | bc; }

# Rounds of every measurement, one after the other, so that the machine's
# moods (the kernel's copies vary most) meet them all alike; the fastest of
# each counts.
for round in $(seq 1 "$rounds"); do
  # Serial baseline: the run's three copies and zip -6 over the database folder.
  rm -rf "$work/serial" && mkdir -p "$work/serial"
  settle; l=$(load); c0=$(busy); t0=$(now)
  for copy in scratch DATA DATA2; do cp -r "$db" "$work/serial/$copy"; done
  (cd "$db" && zip -6 -r -q "$work/serial/datenbank.zip" .)
  t1=$(now)
  echo "serial cp x3 + zip -6 -r|$(echo "$t1 - $t0" | bc)|$(stat -c %s "$work/serial/datenbank.zip")|$l|$(cpu_since "$c0")" >>"$results"
  rm -rf "$work/serial"/{scratch,DATA,DATA2}

  # Parallel reference: pigz -6 over the same files (compression only).
  settle; l=$(load); c0=$(busy); t0=$(now)
  (cd "$db" && tar cf - . | pigz -6 >"$work/serial/pigz.tar.gz")
  t1=$(now)
  echo "pigz -6 over tar|$(echo "$t1 - $t0" | bc)|$(stat -c %s "$work/serial/pigz.tar.gz")|$l|$(cpu_since "$c0")" >>"$results"

  for preset in $presets; do
    inst="$work/$preset"
    rm -rf "$inst" && mkdir -p "$inst/Programm" "$inst/Sicherungen"
    cp "build/$preset/src/cli/quorvel-cli.exe" "$inst/Programm/"
    # A wine prefix of the benchmark's own (the tests' servers stay untouched).
    # Wine is up before the clock starts, as Windows is on an office PC: a
    # program with a window keeps its server and its desktop process, which a
    # warm-up run has started (wine ends the desktop with the last program
    # that has a window, and starting it again took 0.2 to 0.3 s of every
    # measured run). A persistent server started apart from the programs made
    # every run 0.5 s slower, so the server is left to the programs.
    export QV_BUILD_DIR="$work/wine-$preset"
    mkdir -p "$QV_BUILD_DIR" "$inst/Warmup"
    cmake/wine-run.sh start /min notepad.exe >/dev/null 2>&1
    kept_prefixes+=("$QV_BUILD_DIR/wineprefix")
    cmake/wine-run.sh "$inst/Programm/quorvel-cli.exe" run --target "$(winpath "$inst/Warmup")" \
      --db "$(winpath "$small")" >/dev/null 2>&1 || true
    settle; desktop=$(desktop_process); l=$(load); c0=$(busy); t0=$(now)
    if ! cmake/wine-run.sh "$inst/Programm/quorvel-cli.exe" run --target "$(winpath "$inst/Sicherungen")" \
      --db "$(winpath "$db")" >"$inst/run.log" 2>&1; then
      echo "quorvel-cli run ($preset) failed:"; tail -20 "$inst/run.log"; exit 1
    fi
    t1=$(now)
    cpu=$(cpu_since "$c0")
    [ -n "$desktop" ] && [ "$(desktop_process)" = "$desktop" ] ||
      echo "warning: wine's desktop process was started during the run ($preset); its start is timed" >&2
    archive=$(find "$inst/Sicherungen" -path '*DATABASEBACKUP/ZIP/*' -name '*.zip' -printf '%s\n' |
      awk '{s += $1} END {print s}')
    unzip -tqq "$(find "$inst/Sicherungen" -path '*DATABASEBACKUP/ZIP/*' -name 'datenbank.zip')" >/dev/null
    WINEPREFIX="$QV_BUILD_DIR/wineprefix" wineserver -k || true
    unset QV_BUILD_DIR
    echo "quorvel-cli run ($preset)|$(echo "$t1 - $t0" | bc)|$archive|$l|$cpu" >>"$results"
  done
done

python3 - "$bytes" "$results" "$(nproc)" "$rounds" <<'PY'
import sys
total, cores, rounds = int(sys.argv[1]), int(sys.argv[3]), sys.argv[4]
rows = {}
for line in open(sys.argv[2]):
    name, secs, size, load, cpu = line.rstrip("\n").split("|")
    rows.setdefault(name, []).append((float(secs), int(size), float(cpu), load))
mb = total / 1e6
best = {name: min(runs) for name, runs in rows.items()}
base_s, base_size = best["serial cp x3 + zip -6 -r"][:2]
print(f"input: {mb:.0f} MB in the database folder, {cores} cores; fastest of {rounds} rounds")
# cpu/cores: the least time/serial the work allows were every core busy all the time.
print(f"{'':<30}{'seconds':>9}{'slowest':>9}{'MB/s':>8}{'archive MB':>12}{'size/zip -6':>13}"
      f"{'time/serial':>13}{'CPU s':>8}{'cpu/cores':>11}")
for name, runs in rows.items():
    s, z, c, _ = best[name]
    slowest = max(r[0] for r in runs)
    print(f"{name:<30}{s:9.2f}{slowest:9.2f}{mb / s:8.1f}{z / 1e6:12.2f}{z / base_size:13.4f}"
          f"{s / base_s:13.3f}{c:8.2f}{c / cores / base_s:11.3f}")
PY

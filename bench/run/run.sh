#!/usr/bin/env bash
# Times backup runs of quorvel-cli (under wine: table check, three copies,
# archive sets) against the same work done serially by the host's tools
# (cp of the tables three times, zip -6 -r of the folder) and against pigz -6
# as the parallel reference, all in one invocation over the same generated
# database: tables whose every record differs (as real office tables) and
# other documents.
# Two days: the first day's run makes the sets; then PERCENT (10) of the
# tables and of the other files change, the first sets count as the day
# before's, and the second day's run takes the unchanged files over from
# them. Its sets must equal, byte for byte, those of a run on the same files
# without the day before (also timed, for comparison).
# Besides the times it prints the CPU time the machine spent on each, divided
# by the cores: the least time/serial that work could reach even with every
# core busy throughout. Every measurement runs in QV_BENCH_ROUNDS rounds (3),
# interleaved; the fastest counts.
# Usage: bench/run/run.sh [MEGABYTES of tables (300)] [TABLES (30)] [PRESETS ("win32 win64")]
#        [PERCENT (10)]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
megabytes=${1:-300}
tables=${2:-30}
presets=${3:-win32 win64}
percent=${4:-10}
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

# A database of tables with memo and index files and of other documents
# (a quarter of the tables' size), made once per size; beside it the files
# that change by the second day.
db="$work/office-${megabytes}mb-${tables}"
changes="$db.day2"
if [ ! -d "$db" ]; then
  # An order record with its memo takes about 250 bytes.
  records=$((megabytes * 1000000 / tables / 250))
  rm -rf "$db.tmp" "$changes" && mkdir -p "$db.tmp"
  for i in $(seq 1 "$tables"); do
    cmake/wine-run.sh "build/$first/tools/qv-adtgen.exe" table "$(winpath "$db.tmp")" \
      "TABELLE$i" office "$records" "$i" >/dev/null
  done
  python3 bench/run/make_day_two.py documents "$db.tmp/Dokumente" $((megabytes / 4))
  mv "$db.tmp" "$db"
fi
[ -d "$changes" ] || python3 bench/run/make_day_two.py change "$db" "$changes" "$percent" >/dev/null
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
find "$db" "$changes" -type f -exec cat {} + >/dev/null  # every tool reads from the page cache
# The day's files in one place: the backup tree is named after the database's
# path, so both days back up the same folder.
live="$work/live"
first_day() { rm -rf "$live" && cp -a "$db" "$live"; }
second_day() { cp -a "$changes/." "$live/"; }

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

# One timed run of quorvel-cli over the live folder into a target; its
# database set is read back by unzip.
timed_run() {
  local preset=$1 day=$2 target=$3
  mkdir -p "$target"
  settle; desktop=$(desktop_process); l=$(load); c0=$(busy); t0=$(now)
  if ! cmake/wine-run.sh "$inst/Programm/quorvel-cli.exe" run --target "$(winpath "$target")" \
    --db "$(winpath "$live")" >"$inst/run.log" 2>&1; then
    echo "quorvel-cli run ($preset, $day) failed:"; tail -20 "$inst/run.log"; exit 1
  fi
  t1=$(now)
  cpu=$(cpu_since "$c0")
  [ -n "$desktop" ] && [ "$(desktop_process)" = "$desktop" ] ||
    echo "warning: wine's desktop process was started during the run ($preset); its start is timed" >&2
  local newest archive
  newest=$(ls -td "$target"/*/DATABASEBACKUP/ZIP/*/ | head -1)
  archive=$(du -cb "$newest"*.zip | tail -1 | cut -f1)
  unzip -tqq "${newest}datenbank.zip" >/dev/null
  echo "quorvel-cli $preset, $day|$(echo "$t1 - $t0" | bc)|$archive|$l|$cpu" >>"$results"
}

# Rounds of every measurement, one after the other, so that the machine's
# moods (the kernel's copies vary most) meet them all alike; the fastest of
# each counts.
for round in $(seq 1 "$rounds"); do
  # Serial baseline of each day: the run's three copies of the tables and
  # zip -6 over the database folder.
  for day in first second; do
    if [ "$day" = first ]; then first_day; else second_day; fi
    rm -rf "$work/serial" && mkdir -p "$work/serial"
    settle; l=$(load); c0=$(busy); t0=$(now)
    for copy in scratch DATA DATA2; do
      mkdir "$work/serial/$copy"
      find "$live" -maxdepth 1 -type f \( -iname '*.adt' -o -iname '*.adm' -o -iname '*.adi' \) \
        -exec cp -t "$work/serial/$copy" {} +
    done
    tz=$(now)
    (cd "$live" && zip -6 -r -q "$work/serial/datenbank.zip" .)
    t1=$(now)
    echo "serial cp x3 + zip -6 -r, $day day|$(echo "$t1 - $t0" | bc)|$(stat -c %s "$work/serial/datenbank.zip")|$l|$(cpu_since "$c0")" >>"$results"
    echo "zip -6 -r alone, $day day|$(echo "$t1 - $tz" | bc)|$(stat -c %s "$work/serial/datenbank.zip")|$l|0" >>"$results"
  done
  rm -rf "$work/serial"/{scratch,DATA,DATA2}

  # Parallel reference: pigz -6 over the same files (compression only).
  settle; l=$(load); c0=$(busy); t0=$(now)
  (cd "$live" && tar cf - . | pigz -6 >"$work/serial/pigz.tar.gz")
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
    first_day
    timed_run "$preset" "first day" "$inst/Sicherungen"
    # The first day's sets become the day before's: wine reports a folder's
    # modification time as its creation time.
    for set in "$inst"/Sicherungen/*/DATABASEBACKUP/ZIP*/*; do
      mv "$set" "$(dirname "$set")/$(date -d yesterday +%d-%m-%Y-%H-%M-%S)"
    done
    touch -d yesterday "$inst"/Sicherungen/*/DATABASEBACKUP/ZIP*/*
    second_day
    timed_run "$preset" "second day" "$inst/Sicherungen"
    timed_run "$preset" "second day, without the first" "$inst/Ohne"
    # The second day's sets are those of a run without the day before.
    for kind in ZIP ZIPOTHER; do
      made=$(ls -t "$inst"/Sicherungen/*/DATABASEBACKUP/$kind | head -1)
      reference=$(echo "$inst"/Ohne/*/DATABASEBACKUP/$kind/*)
      for part in "$reference"/*.zip; do
        cmp -s "$part" "$(echo "$inst"/Sicherungen/*/DATABASEBACKUP/$kind)/$made/$(basename "$part")" ||
          { echo "the second day's $(basename "$part") ($preset) differs from a run without the day before"; exit 1; }
      done
    done
    WINEPREFIX="$QV_BUILD_DIR/wineprefix" wineserver -k || true
    unset QV_BUILD_DIR
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
print(f"input: {mb:.0f} MB in the database folder, {cores} cores; fastest of {rounds} rounds")
print("time/serial: against the serial baseline of the same day's files")
# cpu/cores: the least time/serial the work allows were every core busy all the time.
print(f"{'':<46}{'seconds':>9}{'slowest':>9}{'MB/s':>8}{'archive MB':>12}"
      f"{'time/serial':>13}{'CPU s':>8}{'cpu/cores':>11}")
for name, runs in rows.items():
    s, z, c, _ = best[name]
    day = "second day" if "second day" in name else "first day"
    base_s = best["serial cp x3 + zip -6 -r, " + day][0]
    slowest = max(r[0] for r in runs)
    print(f"{name:<46}{s:9.2f}{slowest:9.2f}{mb / s:8.1f}{z / 1e6:12.2f}"
          f"{s / base_s:13.3f}{c:8.2f}{c / cores / base_s:11.3f}")
PY

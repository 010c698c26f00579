#!/usr/bin/env bash
# The idle cost of the tray program: quorvel.exe started under wine with
# nothing to do (no database, its window hidden), then its CPU time and its
# threads' wake-ups (context switches) over SECONDS, with the CPU time of the
# prefix's wine server beside it (every wait of a wine program passes through
# it). Each round starts the program afresh; the lowest figures count.
# Usage: bench/idle/run.sh [SECONDS (30)] [PRESET (win32)] [ROUNDS (2)]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
preset=${2:-win32}
rounds=${3:-2}
work=${QV_BENCH_DIR:-/tmp/qv-idlebench}/$preset
scripts/setup.sh >/dev/null
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target quorvel >/dev/null
. scripts/lib/virtual-display.sh
mkdir -p "$work/program"
cp "build/$preset/src/tray/quorvel.exe" "$work/program/" 2>/dev/null ||
  cp "build/$preset/src/app/quorvel.exe" "$work/program/"
export WINEPREFIX="$work/wineprefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  WINEDEBUG=-all LC_ALL=de_DE.UTF-8 wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
trap 'WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null; [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null' EXIT

ticks=$(getconf CLK_TCK)
# The pid of a process of this prefix whose command line matches pattern.
prefix_process() {
  for pid in $(pgrep -f "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done | head -1
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}'; }

best_cpu="" best_wakeups="" best_server=""
for round in $(seq "$rounds"); do
  (cd "$work/program" && WINEDEBUG=-all LC_ALL=de_DE.UTF-8 wine quorvel.exe >/dev/null 2>&1 &)
  sleep 15  # start-up, balloon and the shrink of the window are over
  program=$(prefix_process 'quorvel.exe')
  server=$(prefix_process wineserver)
  [ -n "$program" ] || { echo "quorvel.exe did not start"; exit 1; }
  c0=$(cpu_ticks "$program") w0=$(switches "$program") s0=$(cpu_ticks "$server")
  sleep "$seconds"
  c1=$(cpu_ticks "$program") w1=$(switches "$program") s1=$(cpu_ticks "$server")
  cpu=$(awk -v d=$((c1 - c0)) -v t="$ticks" -v s="$seconds" 'BEGIN {printf "%.3f", 100 * d / t / s}')
  wakeups=$(awk -v d=$((w1 - w0)) -v s="$seconds" 'BEGIN {printf "%.1f", d / s}')
  servercpu=$(awk -v d=$((s1 - s0)) -v t="$ticks" -v s="$seconds" 'BEGIN {printf "%.3f", 100 * d / t / s}')
  echo "round $round: quorvel.exe ${cpu} % of a core, ${wakeups} wake-ups/s; wine server ${servercpu} %"
  [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN {exit !(a < b)}' && best_cpu=$cpu
  [ -z "$best_wakeups" ] || awk -v a="$wakeups" -v b="$best_wakeups" 'BEGIN {exit !(a < b)}' && best_wakeups=$wakeups
  [ -z "$best_server" ] || awk -v a="$servercpu" -v b="$best_server" 'BEGIN {exit !(a < b)}' && best_server=$servercpu
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  WINEPREFIX="$WINEPREFIX" wineserver -w 2>/dev/null || true
done
echo "idle, lowest of $rounds rounds of ${seconds} s ($preset): quorvel.exe ${best_cpu} % of a core," \
  "${best_wakeups} wake-ups/s; wine server ${best_server} %"

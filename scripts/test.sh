#!/usr/bin/env bash
# Installs what is missing, builds every configuration, runs every test and
# prints one summary. Exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh || { echo "setup failed"; exit 1; }

presets=(${QV_PRESETS:-native native-tsan win32 win64})
fuzz_seconds=${QV_FUZZ_SECONDS:-5}
# A configuration's tests take a few minutes; a hang must not eat CI's time.
ctest_minutes=${QV_CTEST_MINUTES:-20}
summary=()
passed_total=0
failed_total=0

count_failure() {  # name, text
  failed_total=$((failed_total + 1))
  summary+=("$(printf '%-12s %s' "$1" "$2")")
}

# The result line and the first lines of output of every test that failed.
failed_test_output() {  # ctest log
  awk '/^ +Start [0-9]+:/ || /^ *[0-9]+\/[0-9]+ Test/ || /tests passed,/ { show = 0 }
       /\*\*\*/ { show = 1; n = 0 }
       show && n++ < 40' "$1"
  grep -A30 "tests failed out of" "$1" | tail -n +2
}

# The tests ctest started and never finished (when it was stopped).
unfinished_tests() {  # ctest log
  awk '/^ +Start +[0-9]+: / { running[$3] = 1 }
       /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / { name = $0; sub(/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: /, "", name)
         sub(/ .*/, "", name); delete running[name] }
       END { for (t in running) print "  still running: " t }' "$1"
}

# Starts the one wine server that serves every test program of a prefix,
# with wine's own services (a program that connects while an idle server
# shuts down fails). The server a prefix's first program brings up
# ends on its own a moment later; a persistent one cannot start while it
# runs, so wait for its end. The services start with the first program of
# the persistent server: that one must not share a test's output, or ctest
# waits for the services to close it.
start_wine_server() {  # preset
  local build_dir prefix probe
  build_dir="$(pwd)/build/$1"
  prefix="$build_dir/wineprefix"
  probe="$build_dir/tests/util/strutils_test.exe"
  QV_BUILD_DIR="$build_dir" timeout 300 cmake/wine-run.sh "$probe" --gtest_filter=none >/dev/null 2>&1
  timeout 120 env WINEPREFIX="$prefix" wineserver -w || WINEPREFIX="$prefix" wineserver -k
  WINEPREFIX="$prefix" WINEDEBUG=-all wineserver -p >/dev/null 2>&1 || return 1
  QV_BUILD_DIR="$build_dir" timeout 300 cmake/wine-run.sh "$probe" --gtest_filter=none >/dev/null 2>&1
}

# Every wine prefix of a configuration takes more than a gigabyte; they are
# made again by the next run, so they go once the configuration is tested.
remove_wine_prefixes() {  # preset
  local build_dir="build/$1"
  [ -d "$build_dir/wineprefix" ] && WINEPREFIX="$(pwd)/$build_dir/wineprefix" wineserver -k 2>/dev/null
  rm -rf "$build_dir/wineprefix" "$build_dir/dpi144/wineprefix" "$build_dir/tests/installer/work"
}

# Formatting: every tracked source file as .clang-format wants it.
unformatted=$(git ls-files -- '*.cpp' '*.h' '*.c' 2>/dev/null |
  while read -r f; do clang-format "$f" | cmp -s - "$f" || echo "$f"; done)
if [ -n "$unformatted" ]; then
  echo "=== format: these files differ from .clang-format (run clang-format -i on them):"
  printf '  %s\n' $unformatted
  count_failure "format" "$(wc -w <<<"$unformatted") files not formatted"
else
  passed_total=$((passed_total + 1))
  summary+=("$(printf '%-12s %s' format "all files formatted")")
fi

# Builds and wine prefixes need several gigabytes; a full disk shows as hangs.
echo "disk: $(df -h --output=avail . | tail -1 | tr -d ' ') free"

# One virtual display for every Windows test of this run.
. scripts/lib/virtual-display.sh

for preset in "${presets[@]}"; do
  echo "=== $preset: configure and build"
  mkdir -p build
  buildlog="build/$preset.build.log"
  if ! cmake --preset "$preset" >"$buildlog" 2>&1 || ! cmake --build --preset "$preset" >>"$buildlog" 2>&1; then
    tail -n 60 "$buildlog"
    count_failure "$preset" "build failed (see $buildlog)"
    continue
  fi
  echo "=== $preset: tests"
  log="build/$preset/ctest.log"
  if [[ "$preset" == win* ]]; then
    if ! start_wine_server "$preset"; then
      remove_wine_prefixes "$preset"
      count_failure "$preset" "wine server did not start"
      continue
    fi
  fi
  (cd "build/$preset" && timeout -k 30 "${ctest_minutes}m" ctest -j2 --output-on-failure) >"$log" 2>&1
  status=$?
  if [ $status -eq 124 ] || [ $status -eq 137 ]; then
    echo "ctest stopped after $ctest_minutes minutes"
    unfinished_tests "$log"
    tail -n 30 "$log"
  fi
  [[ "$preset" == win* ]] && remove_wine_prefixes "$preset"
  line=$(grep -Eo '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  echo "${line:-no test result}"
  if [ $status -ne 0 ]; then
    failed_test_output "$log"
  fi
  if [ -z "$line" ]; then
    count_failure "$preset" "no test result (see $log)"
    continue
  fi
  failed=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+)/\1/' <<<"$line")
  all=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+)/\2/' <<<"$line")
  passed_total=$((passed_total + all - failed))
  failed_total=$((failed_total + failed))
  [ $status -ne 0 ] && [ "$failed" -eq 0 ] && failed_total=$((failed_total + 1))
  summary+=("$(printf '%-12s %s' "$preset" "$line")")
done

# Short runs of the fuzz targets: no crash, no hang, on any bytes.
for target in build/native/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds/." "$work/"
  echo "=== $name: ${fuzz_seconds}s"
  if "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 "$work" >"$work.log" 2>&1; then
    passed_total=$((passed_total + 1))
    summary+=("$(printf '%-12s %s' "$name" "clean, $(grep -Eo 'Done [0-9]+ runs' "$work.log" | tail -1)")")
  else
    tail -n 40 "$work.log"
    count_failure "$name" "FAILED"
  fi
  rm -rf "$work" "$work.log"
done

echo
echo "=== Summary"
printf '  %s\n' "${summary[@]}"
echo "$passed_total passed, $failed_total failed"
[ "$failed_total" -eq 0 ]

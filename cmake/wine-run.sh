#!/usr/bin/env bash
# Runs a Windows program under wine as a German PC, in a private prefix that
# lives in the build folder of the program (created once, under a lock, so
# that parallel tests never initialise it twice). Without a display it runs
# the program on a virtual one.
set -u
exe="$1"; shift
build_dir="${QV_BUILD_DIR:-}"
if [ -z "$build_dir" ]; then
  build_dir="$(cd "$(dirname "$exe")" && pwd)"
  while [ "$build_dir" != "/" ] && [ ! -f "$build_dir/CMakeCache.txt" ]; do
    build_dir="$(dirname "$build_dir")"
  done
fi
# Always the build folder's prefix: test.sh starts its server there, whatever the caller has set.
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export LC_ALL=de_DE.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
) 9>"$build_dir/.wineprefix.lock"
# The program's stderr goes into a file that is passed on when it has ended.
# Wine's desktop process, started by whichever program first makes a window,
# inherits that program's stderr and lives on after it: were that a pipe of
# the caller (ctest's), the caller would wait for the desktop process to end.
# Stdout stays live (tests read a helper's lines while it runs).
err=$(mktemp "${TMPDIR:-/tmp}/qv-wine-err.XXXXXX") || err=""
[ -n "$err" ] && trap 'rm -f "$err"' EXIT
# Windows (hidden ones too) need a display; without one, bring a virtual one.
run=(wine "$exe" "$@")
[ -z "${DISPLAY:-}" ] && run=(xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}")
[ -z "$err" ] && exec "${run[@]}"
"${run[@]}" 2>"$err"
status=$?
grep -av '^X connection to' "$err" >&2
exit $status

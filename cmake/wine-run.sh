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
# Windows (hidden ones too) need a display; without one, bring a virtual one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$@" 2> >(grep -v '^X connection to' >&2)
fi
exec wine "$exe" "$@"

#!/usr/bin/env bash
# Pictures of the program's windows in each of their states, as PNG files in
# demo/screens/. Builds what is missing, runs the picture driver of the test
# tree under wine (at 96 DPI, and at 144 DPI for the scaled pictures) and
# converts its bitmaps with netpbm.
#   scripts/screenshots.sh [win32|win64]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
preset=${1:-win32}
build="$root/build/$preset"
out="$root/demo/screens"

scripts/setup.sh >/dev/null
[ -f "$build/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target qv-screens >/dev/null
driver="$build/tests/tray/qv-screens.exe"
mkdir -p "$out"

. scripts/lib/virtual-display.sh

# Each DPI gets a prefix of its own (wine reads LogPixels when a program
# starts). Windows are not left to a window manager (the virtual display has
# none), so wine draws their frames and title bars itself.
prepare_prefix() {  # folder dpi
  local folder="$1" dpi="$2"
  mkdir -p "$folder"
  QV_BUILD_DIR="$folder" cmake/wine-run.sh "$driver" >/dev/null 2>&1 || true
  local hex
  hex=$(printf '%08x' "$dpi")
  WINEPREFIX="$folder/wineprefix" WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  WINEPREFIX="$folder/wineprefix" WINEDEBUG=-all wine reg add 'HKCU\Control Panel\Desktop' \
    /v LogPixels /t REG_DWORD /d "0x$hex" /f >/dev/null 2>&1
  WINEPREFIX="$folder/wineprefix" WINEDEBUG=-all wine reg add \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "0x$hex" /f >/dev/null 2>&1
  # Windows' own colour for inactive title gradients (wine's default is a dark
  # gray, on which the main window's gray title would vanish).
  WINEPREFIX="$folder/wineprefix" WINEDEBUG=-all wine reg add 'HKCU\Control Panel\Colors' \
    /v GradientInactiveTitle /t REG_SZ /d "215 228 242" /f >/dev/null 2>&1
  # Smoothed text as Windows shows it by default (ClearType).
  WINEPREFIX="$folder/wineprefix" WINEDEBUG=-all wine reg add 'HKCU\Control Panel\Desktop' \
    /v FontSmoothing /t REG_SZ /d 2 /f >/dev/null 2>&1
  WINEPREFIX="$folder/wineprefix" WINEDEBUG=-all wine reg add 'HKCU\Control Panel\Desktop' \
    /v FontSmoothingType /t REG_DWORD /d 2 /f >/dev/null 2>&1
  WINEPREFIX="$folder/wineprefix" wineserver -w
}

shoot() {  # dpi suffix state...
  local dpi="$1" suffix="$2"
  shift 2
  local folder="$build/screens-$dpi"
  prepare_prefix "$folder" "$dpi"
  local bitmaps="$folder/bitmaps"
  rm -rf "$bitmaps"
  mkdir -p "$bitmaps"
  QV_BUILD_DIR="$folder" cmake/wine-run.sh "$driver" "Z:${bitmaps//\//\\}" "$@"
  WINEPREFIX="$folder/wineprefix" wineserver -w  # before the display goes away
  for bmp in "$bitmaps"/*.bmp; do
    name=$(basename "$bmp" .bmp)
    bmptopnm "$bmp" 2>/dev/null | pnmtopng >"$out/$name$suffix.png"
    echo "  $out/$name$suffix.png"
  done
}

echo "Pictures in $out:"
shoot 96 "" box-startup box-30-lines box-help popup-success popup-error main-idle tray-menu \
  main-running main-errors main-target-missing
shoot 144 "-144dpi" box-startup popup-error main-idle main-running

#!/usr/bin/env bash
# Shows a real backup run: generates two small office databases (one with a
# damaged table), runs quorvel-cli under wine into a backup folder beside
# them, and shows what a user would look at afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
demo="$root/demo"

scripts/setup.sh >/dev/null
echo "== Building (win32, the shipped configuration)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target quorvel-cli qv-adtgen >/dev/null

export WINEPREFIX="$demo/wineprefix" WINEDEBUG=-all LC_ALL=de_DE.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== Preparing a German Windows under wine (once, ~15 s)"
  mkdir -p "$demo"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
winpath() { echo "Z:${1//\//\\}"; }
run() {
  if [ -z "${DISPLAY:-}" ]; then xvfb-run -a wine "$@"; else wine "$@"; fi
}

rm -rf "$demo/Kontorix" "$demo/Sicherungen" "$demo/Quorvel"
mkdir -p "$demo/Kontorix" "$demo/Sicherungen" "$demo/Quorvel"
cp build/win32/src/cli/quorvel-cli.exe "$demo/Quorvel/"
echo "== Generating sample databases in $demo/Kontorix"
run build/win32/tools/qv-adtgen.exe sample "$(winpath "$demo/Kontorix/Firma Müller")"
run build/win32/tools/qv-adtgen.exe damaged "$(winpath "$demo/Kontorix/Firma Schmidt")"
(cd "$demo/Kontorix" && find . -type f | sort | sed 's/^/   /')

echo
echo "== quorvel-cli run"
set +e
run "$demo/Quorvel/quorvel-cli.exe" run --target "$(winpath "$demo/Sicherungen")" \
  --db "$(winpath "$demo/Kontorix/Firma Müller")" --db "$(winpath "$demo/Kontorix/Firma Schmidt")"
status=$?
set -e
echo "   (exit code $status: 0 = alles in Ordnung, 1 = Fehler, siehe Protokoll)"

echo
echo "== The backup tree"
(cd "$demo/Sicherungen" && find . | sort | sed 's/^/   /')
echo
echo "== The archives"
find "$demo/Sicherungen" -name '*.zip' | sort | while read -r archive; do
  echo "-- ${archive#$demo/}"
  unzip -l "$archive" | sed 's/^/   /'
done
echo
echo "== The protocol"
echo "   $demo/Quorvel/DATABASEUTIL/QUORVEL.LOG"
echo "   $demo/Quorvel/DATABASEUTIL/QUORVEL.htm   (open it in a browser)"

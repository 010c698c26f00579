#!/usr/bin/env bash
# Renders the icon and glyph sources (resources/icons/src/*.svg) into the .ico
# files the programs embed (resources/icons/*.ico). Run after editing a source;
# the rendered files are committed. Needs rsvg-convert and icotool (setup.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
src="$root/resources/icons/src"
out="$root/resources/icons"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# render NAME SIZE... : one .ico holding the source at every size; sizes
# above 48 are stored as PNG (as Windows does for 256).
render() {
  local name="$1"; shift
  local bmps=() pngs=()
  for s in "$@"; do
    rsvg-convert -w "$s" -h "$s" -o "$tmp/$name-$s.png" "$src/$name.svg"
    if [ "$s" -gt 48 ]; then pngs+=(-r "$tmp/$name-$s.png"); else bmps+=("$tmp/$name-$s.png"); fi
  done
  icotool -c -o "$out/$name.ico" "${bmps[@]}" "${pngs[@]}"
}

render quorvel 16 20 24 32 40 48 64 96 128 256
# Tray images: small-icon sizes from 96 to 192 DPI.
for n in tray-idle tray-error1 tray-error2 tray-work1 tray-work2; do render "$n" 16 20 24 32; done
# Button and menu glyphs: 16 px at 96 DPI up to 32 px at 192 DPI.
for n in glyph-protokoll glyph-ausfuehren glyph-shrink; do render "$n" 16 20 24 32; done
echo "render-icons: $(ls "$out"/*.ico | wc -l) icons in $out"

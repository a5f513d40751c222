#!/usr/bin/env bash
# Saves PNG pictures of the chat window's panels into out/screenshots/.
#   screenshots.sh BUILD_DIR   (the Windows build; needs an X display)
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/out/screenshots
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$build/bin" && "$root/tools/wine-run.sh" --prefix "$build/wineprefix" ./screenshots.exe "$(winepath -w "$scratch" 2>/dev/null || echo "Z:$scratch")")
im=$(command -v convert-im6.q16 || command -v convert)
for picture in "$scratch"/*.bmp; do
    "$im" "$picture" "$out/$(basename "${picture%.bmp}").png"
    echo "picture: out/screenshots/$(basename "${picture%.bmp}").png"
done

#!/usr/bin/env bash
# The pictures of the documentation, made under Xvfb and Wine with the Japanese fonts the Wine
# prefix maps the templates' fonts to: the filter window, its settings dialog (alone and beside
# the window), the output plug-in's dialog, and a frame of the demonstration beside its JPEG.
#   screenshots.sh BUILD_DIR [DLL_FOLDER]      (DLL_FOLDER defaults to BUILD_DIR/bin)
# Needs uishots.exe and jpegdemo.exe built in BUILD_DIR; runs them through the door to Wine
# (with-wine.sh). The pictures are made in BUILD_DIR/shots and replace those in docs/images/
# only when every one of them was made.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [DLL_FOLDER]" >&2; exit 2; }
build=$(cd "$1" && pwd)
dlls=$(cd "${2:-$build/bin}" && pwd)
images=$top/docs/images
shots=$build/shots
rm -rf "$shots"
mkdir -p "$shots/dlls" "$shots/demo"
cp "$dlls"/*.dll "$shots/dlls/"   # in the VM, DLLs must be mapped from the guest's own memory

bash "$top/scripts/with-wine.sh" --keep shots "$build" "$build/bin/uishots.exe" \
  "$(winpath "$shots/dlls")" "$(winpath "$shots")" \
  || { echo "screenshots: uishots.exe failed" >&2; exit 1; }
bash "$top/scripts/with-wine.sh" --keep shots "$build" "$build/bin/jpegdemo.exe" \
  "$(winpath "$shots/dlls")" "$(winpath "$shots/demo")" >/dev/null \
  || { echo "screenshots: jpegdemo.exe failed" >&2; exit 1; }

names=(filter-window settings-dialog filter-and-settings output-dialog demo/source-vs-jpeg)
mkdir -p "$shots/png"
for name in "${names[@]}"; do
  bmp_to_png "$shots/$name.bmp" "$shots/png/$(basename "$name").png" \
    || { echo "screenshots: $name.bmp could not be converted; docs/images/ is unchanged" >&2; exit 1; }
done
mkdir -p "$images"
for name in "${names[@]}"; do
  mv "$shots/png/$(basename "$name").png" "$images/"
  echo "$images/$(basename "$name").png"
done
rm -rf "$shots"

#!/usr/bin/env bash
# The pictures of the documentation, made under Xvfb and Wine with the Japanese fonts the Wine
# prefix maps the templates' fonts to: the filter window, its settings dialog (alone and beside
# the window), the output plug-in's dialog, and a frame of the demonstration beside its JPEG.
#   screenshots.sh BUILD_DIR [DLL_FOLDER]      (DLL_FOLDER defaults to BUILD_DIR/bin)
# Needs uishots.exe and jpegdemo.exe built in BUILD_DIR; writes PNG files into docs/images/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [DLL_FOLDER]" >&2; exit 2; }
build=$(cd "$1" && pwd)
dlls=$(cd "${2:-$build/bin}" && pwd)
images=$top/docs/images
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

status=0
"$top/scripts/wine-run.sh" "$build" "$build/bin/uishots.exe" "$(winpath "$dlls")" "$(winpath "$work")" \
  || status=$?
"$top/scripts/wine-run.sh" "$build" "$build/bin/jpegdemo.exe" "$(winpath "$dlls")" \
  "$(winpath "$work/demo")" >/dev/null || status=$?
"$top/scripts/wine-run.sh" "$build" --shutdown
[ $status -eq 0 ] || { echo "screenshots: a Windows program failed" >&2; exit $status; }

mkdir -p "$images"
for name in filter-window settings-dialog filter-and-settings output-dialog demo/source-vs-jpeg; do
  png=$images/$(basename "$name").png
  bmptopnm "$work/$name.bmp" 2>/dev/null | pnmtopng -compression 9 >"$png" 2>/dev/null
  echo "$png"
done

#!/usr/bin/env bash
# The demonstration: jpegdemo.exe (built in BUILD_DIR) loads the plug-in DLLs from DLL_FOLDER as
# the editor does, exports a short synthetic clip through seqwriter.dll, saves a still through
# stillsaver.dll, reads both back through picreader.dll and prints how close and how fast.
#   demo.sh BUILD_DIR DLL_FOLDER
# Writes into out/demo/ (emptied first); shuts Wine down afterwards.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR DLL_FOLDER" >&2; exit 2; }
build=$(cd "$1" && pwd)
dlls=$(cd "$2" && pwd)
out=$top/out/demo
rm -rf "$out"
mkdir -p "$out"

# Wine sees the Unix root as drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

status=0
"$top/scripts/wine-run.sh" "$build" "$build/bin/jpegdemo.exe" "$(winpath "$dlls")" "$(winpath "$out")" \
  || status=$?
"$top/scripts/wine-run.sh" "$build" --shutdown
if [ -f "$out/source-vs-jpeg.bmp" ] && command -v pnmtopng >/dev/null; then
  bmptopnm "$out/source-vs-jpeg.bmp" 2>/dev/null | pnmtopng -compression 9 >"$out/source-vs-jpeg.png" 2>/dev/null
  rm -f "$out/source-vs-jpeg.bmp"
fi
[ $status -eq 0 ] || echo "demo: jpegdemo failed (exit $status)" >&2
exit $status

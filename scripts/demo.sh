#!/usr/bin/env bash
# The demonstration: jpegdemo.exe (built in BUILD_DIR) loads the plug-in DLLs of DLL_FOLDER as
# the editor does, exports a short synthetic clip through seqwriter.dll, saves a still through
# stillsaver.dll, reads both back through picreader.dll and prints how close and how fast.
#   demo.sh BUILD_DIR DLL_FOLDER
# Writes into out/demo/ (emptied first). Runs under Wine here, or in the test VM where this
# machine cannot run 32-bit Wine (on-windows.sh); there the times are the emulated CPU's and are
# labelled so. The DLLs are copied into BUILD_DIR/demo-dlls first: in the VM, programs and DLLs
# must be mapped from the guest's own memory, not from the shared folder.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR DLL_FOLDER" >&2; exit 2; }
build=$(cd "$1" && pwd)
dlls=$(cd "$2" && pwd)
out=$top/out/demo
rm -rf "$out" "$build/demo-dlls"
mkdir -p "$out" "$build/demo-dlls"
cp "$dlls"/*.dll "$build/demo-dlls/"

# Wine sees the Unix root as drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
label=(cat)
if wine_in_vm; then
  echo "demo: in the test VM: times marked [emulated CPU] are not the plug-ins' speed"
  label=(sed -E '/ ms|frames\/s|exported in/s/$/  [emulated CPU]/')
fi

status=0
bash "$top/scripts/on-windows.sh" "$build" bash scripts/wine-run.sh "$build" "$build/bin/jpegdemo.exe" \
  "$(winpath "$build/demo-dlls")" "$(winpath "$out")" 2>&1 | "${label[@]}" || status=$?
bash "$top/scripts/wine-run.sh" "$build" --shutdown 2>/dev/null || true
rm -rf "$build/demo-dlls"
if [ -f "$out/source-vs-jpeg.bmp" ] && command -v pnmtopng >/dev/null; then
  bmptopnm "$out/source-vs-jpeg.bmp" 2>/dev/null | pnmtopng -compression 9 >"$out/source-vs-jpeg.png" 2>/dev/null
  rm -f "$out/source-vs-jpeg.bmp"
fi
[ $status -eq 0 ] || echo "demo: jpegdemo failed (exit $status)" >&2
exit $status

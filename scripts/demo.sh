#!/usr/bin/env bash
# The demonstration: jpegdemo.exe (built in BUILD_DIR) loads the plug-in DLLs of DLL_FOLDER as
# the editor does, exports a short synthetic clip through seqwriter.dll, saves a still through
# stillsaver.dll, reads both back through picreader.dll and prints how close and how fast.
#   demo.sh BUILD_DIR DLL_FOLDER
# Writes into out/demo/ (emptied first). Runs through the door to Wine (with-wine.sh): here, or in
# the test VM, where the times are the emulated CPU's and are labelled so. The DLLs are copied
# into BUILD_DIR/demo-dlls first: in the VM, programs and DLLs must be mapped from the guest's own
# memory, not from the shared folder. Says in words what went wrong when it fails.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR DLL_FOLDER" >&2; exit 2; }
build=$(cd "$1" && pwd)
dlls=$(cd "$2" && pwd)
out=$top/out/demo
rm -rf "$out" "$build/demo-dlls"
mkdir -p "$out" "$build/demo-dlls"
cp "$dlls"/*.dll "$build/demo-dlls/"
wine_route

label=(cat)
if [ "$WINE_ROUTE" = vm ]; then
  echo "demo: in the test VM: times marked [emulated CPU] are not the plug-ins' speed"
  label=(sed -E '/ ms|frames\/s|exported in/s/$/  [emulated CPU]/')
fi

status=0
outcome=$build/demo-outcome
bash "$top/scripts/with-wine.sh" --outcome "$outcome" "$build" "$build/bin/jpegdemo.exe" \
  "$(winpath "$build/demo-dlls")" "$(winpath "$out")" 2>&1 | "${label[@]}" || status=$?
rm -rf "$build/demo-dlls"
if [ -f "$out/source-vs-jpeg.bmp" ] && bmp_to_png "$out/source-vs-jpeg.bmp" "$out/source-vs-jpeg.png"; then
  rm -f "$out/source-vs-jpeg.bmp"
fi
if [ $status -ne 0 ]; then
  result= detail=
  { read -r result detail <"$outcome"; } 2>/dev/null || true
  case $result in
    ran) echo "demo: jpegdemo.exe failed: it exited with $detail (its output above says where)" >&2 ;;
    not-started) echo "demo: jpegdemo.exe did not run: the test VM could not start it ($detail)" >&2 ;;
    timeout) echo "demo: jpegdemo.exe gave no result: the test VM was stopped at its time limit ($detail s)" >&2 ;;
    no-result) echo "demo: jpegdemo.exe gave no result: the test VM ended without one (its console's tail is above)" >&2 ;;
    copy-back-failed) echo "demo: the demonstration's files could not be copied back from the test VM" >&2 ;;
    *) echo "demo: the door to Wine failed before jpegdemo.exe could run (exit $status)" >&2 ;;
  esac
fi
rm -f "$outcome"
exit $status

#!/usr/bin/env bash
# The long run of the robustness tests: round after round of reads (refused files among them),
# small exports, saves, both settings dialogs and the filter window, through the built DLLs
# under Wine; prints memory, handles, GDI objects and windows before and after, and fails when
# any of them grew beyond its tolerance.
#   scripts/longrun.sh [ROUNDS [WIN32_BUILD_DIR]]      defaults: 500 rounds, build/win32
set -euo pipefail
source "$(dirname "$0")/lib.sh"
rounds=${1:-500}
build=$(cd "${2:-$top/build/win32}" && pwd)
program=$build/bin/robust_long_run.exe
if [ ! -f "$program" ]; then
  echo "longrun: $program is missing; build first (bash scripts/build.sh)" >&2
  exit 1
fi

# Here, or in the test VM where this machine runs no 32-bit programs; in the one prefix recipe
# (wine-prefix.sh) that keeps windows from waiting for a window manager.
log=$build/longrun.log
start=$(date +%s)
status=0
bash "$top/scripts/on-windows.sh" "$build" bash -c \
  'LONGRUN_ROUNDS=$1 bash scripts/wine-run.sh "$2" "$3" </dev/null; rc=$?; bash scripts/wine-run.sh "$2" --shutdown; exit $rc' \
  longrun "$rounds" "$build" "$program" 2>&1 | tee "$log" || status=$?
echo "longrun: $rounds rounds in $(( $(date +%s) - start )) s$(wine_in_vm && echo ' on the emulated CPU of the test VM'); log in $log"
# A run that tested nothing (or less than both tests) must not pass.
if ! grep -q '^\[  PASSED  \] 2 tests' "$log" && [ "$status" -eq 0 ]; then status=1; fi
exit "$status"

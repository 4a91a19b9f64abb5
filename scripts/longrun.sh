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
wine_route

# Through the door to Wine: here, or in the test VM, in the one prefix recipe (wine-prefix.sh)
# that keeps windows from waiting for a window manager.
log=$build/longrun.log
started=$(now)
status=0
bash "$top/scripts/with-wine.sh" "$build" LONGRUN_ROUNDS="$rounds" "$program" </dev/null 2>&1 \
  | tee "$log" || status=$?
where=; [ "$WINE_ROUTE" = here ] || where=' on the emulated CPU of the test VM'
echo "longrun: $rounds rounds in $(seconds_since "$started") s$where; log in $log"
# A run that tested nothing, or fewer cases than the program has, must not pass.
ran=$(sed -nE 's/^\[==========\] Running ([0-9]+) tests? from.*/\1/p' "$log" | head -n1)
if [ "$status" -eq 0 ] && { [ -z "$ran" ] || [ "$ran" -eq 0 ] \
     || ! grep -qE "^\[  PASSED  \] $ran tests?\." "$log"; }; then
  echo "longrun: the program did not report all of its ${ran:-0} tests as passed" >&2
  status=1
fi
exit "$status"

#!/usr/bin/env bash
# The long run of the robustness tests: round after round of reads (refused files among them),
# small exports, saves, both settings dialogs and the filter window, through the built DLLs
# under Wine; prints memory, handles, GDI objects and windows before and after, and fails when
# any of them grew beyond its tolerance.
#   scripts/longrun.sh [ROUNDS [WIN32_BUILD_DIR]]      defaults: 500 rounds, build/win32
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-500}
build=$(cd "${2:-$root/build/win32}" && pwd)
program=$build/bin/robust_long_run.exe
if [ ! -f "$program" ]; then
  echo "longrun: $program is missing; build first (bash scripts/build.sh)" >&2
  exit 1
fi

# A Wine prefix of its own, in which the windows are not handed to a window manager: without
# one on the display every dialog shown or hidden would wait two seconds for it.
run_dir=$build/longrun
mkdir -p "$run_dir"
trap '"$root/scripts/wine-run.sh" "$run_dir" --shutdown' EXIT
"$root/scripts/wine-run.sh" "$run_dir" reg add 'HKCU\Software\Wine\X11 Driver' \
  /v Managed /d N /f </dev/null >/dev/null 2>&1

log=$run_dir/longrun.log
start=$(date +%s)
status=0
LONGRUN_ROUNDS=$rounds "$root/scripts/wine-run.sh" "$run_dir" "$program" </dev/null 2>&1 \
  | tee "$log" || status=$?
echo "longrun: $rounds rounds in $(( $(date +%s) - start )) s; log in $log"
# A run that tested nothing (or less than both tests) must not pass.
if ! grep -q '^\[  PASSED  \] 2 tests' "$log" && [ "$status" -eq 0 ]; then status=1; fi
exit "$status"

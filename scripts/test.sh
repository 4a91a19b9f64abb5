#!/usr/bin/env bash
# The one command that sets up, builds and runs every test: the native tests under the
# sanitizers, then the Windows tests under Wine. Ends with the summary line "N passed, N failed".
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/build.sh || { echo "0 passed, 1 failed (set-up or build failed)"; exit 1; }

log=$(mktemp)
trap 'rm -f "$log"; bash scripts/wine-run.sh build/win32 --shutdown' EXIT

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir build/native -j2 --output-on-failure 2>&1 | tee -a "$log" || status=1
echo "== Windows tests (32-bit, under Wine)"
ctest --test-dir build/win32 -j2 --output-on-failure 2>&1 | tee -a "$log" || status=1

# Sum both runs' "N% tests passed, F tests failed out of T" lines.
read -r passed failed < <(sed -nE 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/p' "$log" \
  | awk '{f += $1; t += $2} END {print t - f, f}')
passed=${passed:-0}
failed=${failed:-0}
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# The one command that sets up, builds and runs every test: the native tests under the
# sanitizers, the Windows tests (those that need no Wine here, then those labelled "wine" through
# the door to Wine, with-wine.sh: here or in the test VM, all in one run), the CPU matrix
# (cpu-matrix.sh), then the fuzzers.
# Ends with the summary line "N passed, N failed". A Wine run that ends without CTest's summary
# line (a crash of CTest, a VM that gave no result) counts every Wine test as failed.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$top"
wine_route

{ bash scripts/setup.sh && bash scripts/build.sh; } || { echo "0 passed, 1 failed (set-up or build failed)"; exit 1; }

log=$(mktemp)
wine_log=$(mktemp)
trap 'rm -f "$log" "$wine_log"' EXIT
summary='tests passed, [0-9]+ tests? failed out of'

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir build/native -j"$jobs" --output-on-failure 2>&1 | tee -a "$log" || status=1

echo "== Windows tests without Wine"
ctest --test-dir build/win32 -j"$jobs" --output-on-failure -LE '^wine$' 2>&1 | tee -a "$log" || status=1

echo "== Windows tests under Wine ($WINE_ROUTE_WHY)"
started=$(now)
bash scripts/with-wine.sh --keep Testing --keep cpu-matrix/main build/win32 \
  ctest --test-dir build/win32 -j"$jobs" --output-on-failure -L '^wine$' 2>&1 | tee "$wine_log" || status=1
echo "== the Windows tests under Wine took $(seconds_since "$started") s in all"
if grep -qE "$summary" "$wine_log"; then
  grep -E "$summary" "$wine_log" >>"$log"
else
  n=$(ctest --test-dir build/win32 -N -L '^wine$' | sed -nE 's/^Total Tests: ([0-9]+)/\1/p')
  echo "== the Windows tests under Wine gave no result: all ${n:-0} count as failed"
  echo "Windows tests under Wine: 0% tests passed, ${n:-1} tests failed out of ${n:-1}" >>"$log"
fi

echo "== the CPU matrix: the DLLs' bytes on older processors, against the native build's"
bash scripts/cpu-matrix.sh 2>&1 | tee -a "$log" || status=1

echo "== fuzzers (libFuzzer, a bounded run of each)"
bash scripts/fuzz.sh 15 2>&1 | tee -a "$log" || status=1

# Sum the runs' "N% tests passed, F tests failed out of T" lines (the fuzzers print one too).
read -r passed failed < <(sed -nE 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/p' "$log" \
  | awk '{f += $1; t += $2} END {print t - f, f}')
passed=${passed:-0}
failed=${failed:-0}
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# The one command that sets up, builds and runs every test: the native tests under the
# sanitizers, then the Windows tests, then the fuzzers. Ends with the summary line
# "N passed, N failed".
# The Windows tests that run programs under Wine carry the CTest label "wine". Where this
# machine's kernel runs 32-bit programs they run here; where it does not, they run in the test VM
# (scripts/on-windows.sh), all of them in one boot, while the rest of the Windows tree's tests
# run here. A VM that gives no result counts every Wine test as failed.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$top"


bash scripts/build.sh || { echo "0 passed, 1 failed (set-up or build failed)"; exit 1; }

log=$(mktemp)
trap 'rm -f "$log"; bash scripts/wine-run.sh build/win32 --shutdown 2>/dev/null' EXIT

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir build/native -j"$jobs" --output-on-failure 2>&1 | tee -a "$log" || status=1

if ! wine_in_vm; then
  echo "== Windows tests (32-bit, under Wine)"
  ctest --test-dir build/win32 -j"$jobs" --output-on-failure 2>&1 | tee -a "$log" || status=1
else
  echo "== Windows tests without Wine"
  ctest --test-dir build/win32 -j"$jobs" --output-on-failure -LE '^wine$' 2>&1 | tee -a "$log" || status=1
  echo "== Windows tests under Wine, in the test VM ($(vm_reason))"
  started=$(now)
  vm_log=$(mktemp)
  rc=0
  bash scripts/on-windows.sh --keep Testing build/win32 \
    ctest --test-dir build/win32 -j"$jobs" --output-on-failure -L '^wine$' 2>&1 | tee "$vm_log" || rc=$?
  echo "== the test VM took $(seconds_since "$started") s in all (emulated CPU)"
  if grep -qE 'tests passed, [0-9]+ tests? failed out of' "$vm_log"; then
    cat "$vm_log" >>"$log"
  else
    # No result from the VM (it did not boot, its kernel failed, the job never reported, or the
    # whole-VM timeout struck): every Wine test failed.
    n=$(ctest --test-dir build/win32 -N -L '^wine$' | sed -nE 's/^Total Tests: ([0-9]+)/\1/p')
    echo "== the test VM gave no result (exit $rc): all ${n:-0} Windows tests under Wine count as failed"
    echo "Windows tests in the VM: 0% tests passed, ${n:-1} tests failed out of ${n:-1}" >>"$log"
  fi
  [ "$rc" -eq 0 ] || status=1
  rm -f "$vm_log"
fi

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

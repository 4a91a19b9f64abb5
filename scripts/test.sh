#!/usr/bin/env bash
# The one command that sets up, builds and runs every test: the native tests under the
# sanitizers, then the Windows tests under Wine, then the fuzzers. Ends with the summary line
# "N passed, N failed" (", N skipped" where this machine cannot run Wine: see runs-32bit.sh).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/build.sh || { echo "0 passed, 1 failed (set-up or build failed)"; exit 1; }

log=$(mktemp)
trap 'rm -f "$log"; bash scripts/wine-run.sh build/win32 --shutdown' EXIT

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir build/native -j2 --output-on-failure 2>&1 | tee -a "$log" || status=1
skipped=0
if why=$(bash scripts/runs-32bit.sh 2>&1); then
  echo "== Windows tests (32-bit, under Wine)"
  ctest --test-dir build/win32 -j2 --output-on-failure 2>&1 | tee -a "$log" || status=1
else
  # Wine's 32-bit loader cannot start on this kernel. The Windows-tree tests that do not go
  # through Wine (the DLLs' binary contract, the release contents) still run; the others are
  # counted as skipped, never as passed.
  # Tests that run a Windows program go through wine-run.sh or carry the label "wine".
  all=$(ctest --test-dir build/win32 -N 2>/dev/null | sed -nE 's/^ +Test +#[0-9]+: (.+)$/\1/p')
  listing=$(ctest --test-dir build/win32 -N -V -LE '^wine$' 2>/dev/null)
  nowine=$(awk '/Test command:/ { wine = ($0 ~ /wine-run\.sh/) }
                /^ +Test +#[0-9]+: / { if (!wine) print $3 }' <<<"$listing")
  skipped=$(( $(grep -c . <<<"$all") - $(grep -c . <<<"$nowine") ))
  echo "== Windows tests: ${skipped} SKIPPED, they need Wine: ${why}"
  sed 's/^/   skipped: /' < <(grep -vxF -f <(printf '%s\n' "$nowine") <<<"$all")
  if [ -n "$nowine" ]; then
    echo "== Windows-tree tests without Wine"
    regex="^($(sed 's/[.]/\\./g' <<<"$nowine" | paste -sd'|'))\$"  # names: letters, digits, . _ /
    ctest --test-dir build/win32 -j2 --output-on-failure -R "$regex" 2>&1 | tee -a "$log" || status=1
  fi
fi

echo "== fuzzers (libFuzzer, a bounded run of each)"
bash scripts/fuzz.sh 15 2>&1 | tee -a "$log" || status=1

# Sum the runs' "N% tests passed, F tests failed out of T" lines (the fuzzers print one too).
read -r passed failed < <(sed -nE 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/p' "$log" \
  | awk '{f += $1; t += $2} END {print t - f, f}')
passed=${passed:-0}
failed=${failed:-0}
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
if [ "$skipped" -gt 0 ]; then
  echo "${passed} passed, ${failed} failed, ${skipped} skipped"
else
  echo "${passed} passed, ${failed} failed"
fi
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang with AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 900), two side by side on the machine's two cores.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]     targets: reader encoder names folder
#
# The long run (the default) keeps its growing corpus in $FUZZ_BUILD/work/ and starts from a new
# random seed each time. A short run (under 60 seconds, as scripts/test.sh makes) starts from the
# committed seeds alone with a fixed seed, so that it is repeatable. Findings are written to
# $FUZZ_BUILD/findings/; each becomes a regression test in the normal suites. Ends with a line
# in CTest's shape, "...% tests passed, F tests failed out of T", that scripts/test.sh sums.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$top"

seconds=${1:-900}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(reader encoder names folder)
build=${FUZZ_BUILD:-build/fuzz}

fail() { echo "$1"; echo "fuzzers: 0% tests passed, ${#targets[@]} tests failed out of ${#targets[@]}"; exit 1; }
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDEPS_DIR="$deps_cache" >/dev/null || fail "fuzzers: configure failed"
fi
cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}" >/dev/null || fail "fuzzers: build failed"

mkdir -p "$build/logs" "$build/findings"
if [ "$seconds" -lt 60 ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  options=(-seed=1)
else
  work=$build/work
  options=()
fi

run() {  # target: runs it, its log in $build/logs/<target>.log
  local t=$1
  mkdir -p "$work/$t"
  nice "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/findings/$t-" "${options[@]}" \
    "$work/$t" "fuzz/corpus/$t" >"$build/logs/$t.log" 2>&1
}

passed=0 failed=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pair=("${targets[@]:i:2}")
  pids=()
  for t in "${pair[@]}"; do run "$t" & pids+=($!); done
  for j in "${!pair[@]}"; do
    t=${pair[$j]}
    log=$build/logs/$t.log
    if wait "${pids[$j]}"; then verdict=passed; passed=$((passed + 1)); else verdict=FAILED; failed=$((failed + 1)); fi
    runs=$(sed -nE 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\1 runs in \2 s/p' "$log")
    cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
    echo "fuzz_$t: $verdict: ${runs:-no runs}, ${cov:-no coverage}"
    [ "$verdict" = passed ] || { grep -E 'ERROR|fuzz_[a-z]+:|SUMMARY|Test unit written' "$log" | head -8; }
  done
done
total=$((passed + failed))
echo "fuzzers: $((100 * passed / total))% tests passed, $failed tests failed out of $total"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Builds and runs the encoding and decoding benchmarks: natively (x86-64) everywhere, and the
# 32-bit Windows build under Wine where this machine's kernel runs 32-bit programs. Figures only:
# medians, their spread and the ratio against libjpeg alone. The test VM's CPU is emulated, so
# its times are never printed as speed: on a machine that needs the VM the 32-bit figures are
# left out, and the script says so.
#   bench.sh [RUNS]      (default 15)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$top"
bash scripts/build.sh >/dev/null
runs=${1:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"; bash scripts/wine-run.sh build/win32 --shutdown 2>/dev/null' EXIT
wine32=1
why=$(bash scripts/runs-32bit.sh 2>&1) || wine32=0
for bench in encode_bench decode_bench; do
  echo "== $bench, native (x86-64)"
  (cd "$work" && "$top/build/native/bench/$bench" "$runs")
  if [ $wine32 -eq 1 ]; then
    echo "== $bench, 32-bit Windows build under Wine"
    (cd "$work" && "$top/scripts/wine-run.sh" "$top/build/win32" "$top/build/win32/bin/$bench.exe" "$runs")
  else
    echo "== $bench, 32-bit Windows build: not measured: $why; an emulated CPU's times are not speed"
  fi
done

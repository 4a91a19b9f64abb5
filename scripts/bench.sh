#!/usr/bin/env bash
# Builds and runs the encoding and decoding benchmarks natively and in the 32-bit build under
# Wine. Figures only: medians, their spread and the ratio against libjpeg alone.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/build.sh >/dev/null
runs=${1:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"; bash scripts/wine-run.sh build/win32 --shutdown' EXIT
for bench in encode_bench decode_bench; do
  echo "== $bench, native (x86-64)"
  (cd "$work" && "$top/build/native/bench/$bench" "$runs")
  echo "== $bench, 32-bit Windows build under Wine"
  (cd "$work" && "$top/scripts/wine-run.sh" "$top/build/win32" "$top/build/win32/bin/$bench.exe" "$runs")
done

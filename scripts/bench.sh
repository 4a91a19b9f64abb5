#!/usr/bin/env bash
# Builds and runs the encoding benchmark natively and in the 32-bit build under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/build.sh >/dev/null
runs=${1:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"; bash scripts/wine-run.sh build/win32 --shutdown' EXIT
echo "== native (x86-64)"
(cd "$work" && "$top/build/native/bench/encode_bench" "$runs")
echo "== 32-bit Windows build under Wine"
(cd "$work" && "$top/scripts/wine-run.sh" "$top/build/win32" "$top/build/win32/bench/encode_bench.exe" "$runs")

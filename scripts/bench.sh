#!/usr/bin/env bash
# Builds and runs the encoding and decoding benchmarks: natively (x86-64) everywhere, and the
# 32-bit Windows build under Wine where Wine runs on this machine. Figures only: medians, their
# spread, the ratio against libjpeg alone, the floor (libjpeg plus one pass over the YC48 frame
# at memory speed) and the ratio to it. The test VM's CPU is emulated, so its times are
# never printed as speed: where the Windows programs run in the VM (WINE_IN_VM=1 included) the
# 32-bit figures are left out, and the script says so.
#   bench.sh [RUNS]      (default 15)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$top"
wine_route
bash scripts/setup.sh >/dev/null
bash scripts/build.sh >/dev/null
runs=${1:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for bench in encode_bench decode_bench; do
  echo "== $bench, native (x86-64)"
  (cd "$work" && "$top/build/native/bench/$bench" "$runs")
  if [ "$WINE_ROUTE" = here ]; then
    echo "== $bench, 32-bit Windows build under Wine"
    (cd "$work" && bash "$top/scripts/with-wine.sh" "$top/build/win32" "$top/build/win32/bin/$bench.exe" "$runs")
  else
    echo "== $bench, 32-bit Windows build: not measured: the Windows programs run in the test VM here ($WINE_ROUTE_WHY); an emulated CPU's times are not speed"
  fi
done

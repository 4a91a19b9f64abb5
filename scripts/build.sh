#!/usr/bin/env bash
# Configures and builds both development trees: build/native (portable code and its tests,
# sanitized) and build/win32 (the DLLs, the substitute host, that is the test program that loads
# and drives the DLLs as the editor does, and the Windows-side tests). Changes nothing on the
# machine: scripts/setup.sh, which the two commands run first, installs what it needs.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$top"
wine_route
# The Windows-side tests' time limits are set for this machine; the test VM's CPU is emulated.
scale=1; [ "$WINE_ROUTE" = here ] || scale=4

cmake -S . -B build/native -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDEPS_DIR="$deps_cache" >/dev/null
cmake --build build/native -j"$jobs"
cmake -S . -B build/win32 -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DDEPS_DIR="$deps_cache" \
  -DWINE_TIMEOUT_SCALE="$scale" >/dev/null
cmake --build build/win32 -j"$jobs"

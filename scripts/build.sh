#!/usr/bin/env bash
# Configures and builds both trees: build/native (portable code and its tests, sanitized) and
# build/win32 (the DLLs, the substitute host and the Windows-side tests). Runs the set-up first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/setup.sh

jobs=${JOBS:-2}
cache=$(realpath -m "${DEPS_CACHE:-$top/.cache}")   # where setup.sh put the dependencies
cmake -S . -B build/native -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDEPS_DIR="$cache" >/dev/null
cmake --build build/native -j"$jobs"
cmake -S . -B build/win32 -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DDEPS_DIR="$cache" >/dev/null
cmake --build build/win32 -j"$jobs"

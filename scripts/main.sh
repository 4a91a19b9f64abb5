#!/usr/bin/env bash
# The main job: sets up, builds what ships in a tree of its own (build/release: the three plug-in
# DLLs and the demonstration program; no tests, no GoogleTest), checks each DLL's binary
# contract, assembles the release in dist/ (a folder and its zip, named with the version) and
# runs the demonstration on the released DLLs. Prints how long it took.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

now() { echo "$EPOCHREALTIME"; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
started=$(now)

bash scripts/setup.sh
cache=$(realpath -m "${DEPS_CACHE:-$top/.cache}")   # where setup.sh put the dependencies

build_started=$(now)
tree=build/release
cmake -S . -B "$tree" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DBUILD_TESTING=OFF \
  -DDEPS_DIR="$cache" >/dev/null
targets=(stillsaver seqwriter picreader)
if [ -f demo/CMakeLists.txt ]; then targets+=(jpegdemo); fi
echo "main: building ${targets[*]} in $tree"
if ! cmake --build "$tree" -j"${JOBS:-2}" --target "${targets[@]}" >"$tree/build.log" 2>&1; then
  cat "$tree/build.log"
  echo "main: the build failed" >&2
  exit 1
fi

bash tests/check_dll.sh "$tree/bin/stillsaver.dll" GetFilterTable DllMain
bash tests/check_dll.sh "$tree/bin/seqwriter.dll" GetOutputPluginTable
bash tests/check_dll.sh "$tree/bin/picreader.dll" GetInputPluginTable

rm -rf dist
folder=$(bash scripts/assemble-release.sh "$tree" dist)
release=${folder#"$top"/}
echo "main: release $release and $release.zip"
(cd dist && find "$(basename "$folder")" "$(basename "$folder").zip" -type f | LC_ALL=C sort \
  | while read -r f; do printf '  %-50s %8d bytes\n' "$f" "$(stat -c %s "$f")"; done)
echo "main: build and release took $(seconds_since "$build_started") s"

demo=0
if [ -f scripts/demo.sh ] && ! why=$(bash scripts/runs-32bit.sh 2>&1); then
  echo "main: DEMONSTRATION SKIPPED: it runs the DLLs under Wine, and $why."
  echo "main: the release in $release is complete; only the demonstration needs Wine."
elif [ -f scripts/demo.sh ]; then
  bash scripts/demo.sh "$tree" "$release" || demo=$?
fi
echo "main: done in $(seconds_since "$started") s"
[ $demo -eq 0 ] || { echo "main: the demonstration failed" >&2; exit $demo; }

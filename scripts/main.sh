#!/usr/bin/env bash
# The main job: sets up, builds what ships in a tree of its own (build/release: the three plug-in
# DLLs and the demonstration program; no tests, no GoogleTest), checks each DLL's binary
# contract, assembles the release in dist/ (a folder and its zip, named with the version) and
# runs the demonstration on the released DLLs (through the door to Wine: here, or in the test VM
# where this machine's kernel runs no 32-bit programs). Prints how long each part took, and in
# words what went wrong.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$top"
wine_route

started=$(now)

bash scripts/setup.sh
echo "main: set-up took $(seconds_since "$started") s"

build_started=$(now)
tree=build/release
cmake -S . -B "$tree" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DBUILD_TESTING=OFF \
  -DDEPS_DIR="$deps_cache" >/dev/null
mapfile -t plugins <"$tree/plugins.txt"
targets=("${plugins[@]}" jpegdemo)
echo "main: building ${targets[*]} in $tree"
if ! cmake --build "$tree" -j"$jobs" --target "${targets[@]}" >"$tree/build.log" 2>&1; then
  cat "$tree/build.log"
  echo "main: the build failed" >&2
  exit 1
fi

while read -r plugin; do bash tests/check_dll.sh "$tree/bin/$plugin.dll"; done <"$tree/plugins.txt"

rm -rf dist
folder=$(bash scripts/assemble-release.sh "$tree" dist)
release=${folder#"$top"/}
echo "main: release $release and $release.zip"
(cd dist && find "$(basename "$folder")" "$(basename "$folder").zip" -type f | LC_ALL=C sort \
  | while read -r f; do printf '  %-50s %8d bytes\n' "$f" "$(stat -c %s "$f")"; done)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
bash tests/release/check_release.sh --release "$tree" "$folder" "$version"
echo "main: build and release took $(seconds_since "$build_started") s"

demo_started=$(now)
demo=0
bash scripts/demo.sh "$tree" "$release" || demo=$?
echo "main: the demonstration took $(seconds_since "$demo_started") s"
echo "main: done in $(seconds_since "$started") s"
[ $demo -eq 0 ] || { echo "main: the demonstration failed (demo.sh says why, above)" >&2; exit $demo; }

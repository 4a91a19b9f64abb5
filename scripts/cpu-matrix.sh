#!/usr/bin/env bash
# The CPU matrix: the built DLLs write the same bytes on every processor generation they run on.
#   cpu-matrix.sh [MODEL...]     qemu CPU models; default: Opteron_G1 (SSE2 without SSSE3) and
#                                Conroe (SSSE3 without SSE4 or AVX)
# cpu_matrix.exe exports, saves and reads back a fixed clip through the DLLs with settings that
# reach every conversion and compression path. On this run's own processor (here, or the test
# VM's default model, max, which has AVX2) it runs among the Windows tests (win32.cpu_matrix,
# into build/win32/cpu-matrix/main: run them first); here it runs in the test VM on each MODEL,
# side by side, through the door to Wine; and the native tree's cpu_matrix, the same cores built
# for x86-64, writes the reference from the same clip and settings. Every run's files must be
# the reference's, byte for byte. Each run is one test; ends with a line in CTest's shape,
# "...% tests passed, F tests failed out of T", that scripts/test.sh sums.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$top"
wine_route
models=("$@")
[ ${#models[@]} -gt 0 ] || models=(Opteron_G1 Conroe)
win=$top/build/win32
matrix=$win/cpu-matrix
reference=$top/build/native/cpu-matrix

passed=0 failed=0
verdict() {  # RUN OK MESSAGE
  if [ "$2" = 1 ]; then passed=$((passed + 1)); echo "cpu matrix: $1: passed: $3"
  else failed=$((failed + 1)); echo "cpu matrix: $1: FAILED: $3"; fi
}
# Whether a folder holds the reference's files and nothing else, each byte for byte; says how.
same_as_reference() {  # DIR
  local names_ref names f why
  names_ref=$(cd "$reference" && find . -type f | LC_ALL=C sort)
  names=$(cd "$1" 2>/dev/null && find . -type f | LC_ALL=C sort)
  if [ "$names" != "$names_ref" ]; then
    echo "its files are not the reference's: $(diff <(echo "$names_ref") <(echo "$names") | grep '^[<>]' | head -n 3 | xargs)"
    return 1
  fi
  while read -r f; do
    why=$(cmp "$reference/$f" "$1/$f" 2>&1) || { echo "${f#./} differs from the native build's: ${why##*: }"; return 1; }
  done <<<"$names_ref"
  echo "$(wc -l <<<"$names_ref") files, byte for byte the native build's"
}

rm -rf "$reference"
if why=$(build/native/tests/cpu_matrix/cpu_matrix "$reference" 2>&1); then
  verdict native 1 "the reference: $(find "$reference" -type f | wc -l) files from the x86-64 build of the same cores"
else
  verdict native 0 "the native cpu_matrix failed: $(tail -n 1 <<<"$why")"
fi

main=this-cpu; [ "$WINE_ROUTE" = here ] || main=max
if [ ! -d "$matrix/main" ] || [ "$matrix/main" -ot "$win/bin/cpu_matrix.exe" ]; then
  verdict "$main" 0 "no output of this build's win32.cpu_matrix in $matrix/main: run the Windows tests first"
elif message=$(same_as_reference "$matrix/main"); then
  verdict "$main" 1 "$message"
else
  verdict "$main" 0 "on the $main processor, $message"
fi

# Each model in a VM of its own, side by side (one processor each: the work is single-threaded),
# on a tree of its own that holds only the program and the DLLs.
pids=()
for model in "${models[@]}"; do
  tree=$matrix/$model
  rm -rf "$tree" && mkdir -p "$tree/bin" "$tree/out"
  cp "$win/bin/cpu_matrix.exe" "$win"/bin/{stillsaver,seqwriter,picreader}.dll "$tree/bin/"
  VM_SMP=1 VM_MEM=2048 VM_TIMEOUT=${VM_TIMEOUT:-900} bash scripts/with-wine.sh --vm-cpu "$model" --keep out "$tree" \
    "$tree/bin/cpu_matrix.exe" "$(winpath "$tree/out")" >"$tree.log" 2>&1 &
  pids+=($!)
done
for i in "${!models[@]}"; do
  model=${models[$i]}
  tree=$matrix/$model
  if ! wait "${pids[$i]}"; then
    grep -vE '^\[ *[0-9]+\.[0-9]+\]' "$tree.log" | tail -n 15 | sed 's/^/  | /'
    verdict "$model" 0 "cpu_matrix.exe failed on the $model processor (log: $tree.log)"
  elif message=$(same_as_reference "$tree/out"); then
    verdict "$model" 1 "$message ($(grep -oE 'the command took [0-9.]+ s' "$tree.log" | sed 's/the command/the program/'))"
  else
    verdict "$model" 0 "on the $model processor, $message"
  fi
done

total=$((passed + failed))
echo "cpu matrix: $((100 * passed / total))% tests passed, $failed tests failed out of $total"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# The main job: sets up, builds, and puts the plug-in DLLs into dist/, then lists what it built.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/build.sh
mkdir -p dist
built=0
for name in stillsaver seqwriter picreader; do
  dll=build/win32/bin/$name.dll
  if [ -f "$dll" ]; then
    cp "$dll" dist/
    built=$((built + 1))
    exports=$(i686-w64-mingw32-objdump -p "dist/$name.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
      | sed -nE 's/^\s+\[ *[0-9]+\] (.+)$/\1/p' | tr '\n' ' ')
    printf 'dist/%s.dll  %8d bytes  exports: %s\n' "$name" "$(stat -c %s "dist/$name.dll")" "$exports"
  else
    printf '%s: not built yet\n' "$name"
  fi
done
echo "built $built of 3 plug-ins into dist/"

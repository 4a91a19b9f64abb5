#!/usr/bin/env bash
# Checks a plug-in DLL's binary contract with objdump: a PE32 i386 DLL that exports exactly the
# undecorated names of its .def file (NAME/NAME.def in the project for NAME.dll) and imports only
# Windows system DLLs and msvcrt.
#   check_dll.sh DLL
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dll=$1
name=$(basename "$dll" .dll)
def=$top/$name/$name.def
[ -f "$def" ] || { echo "no $def for $dll"; exit 1; }
# The names after EXPORTS, each up to an '=' (an alias of a decorated symbol) or '@' (an ordinal).
set -- $(sed -n '/^EXPORTS/,$p' "$def" | sed '1d; s/[=@;].*//' | awk 'NF { print $1 }')
dump=$(i686-w64-mingw32-objdump -p "$dll")
fail=0
grep -q 'file format pei-i386' <<<"$(i686-w64-mingw32-objdump -f "$dll")" \
  || { echo "not a PE32 i386 file: $dll"; fail=1; }
# The file header's Characteristics word must carry IMAGE_FILE_DLL (0x2000); "DLL" elsewhere in
# the dump (DllCharacteristics, "DLL Name:" of the imports) says nothing about this file.
characteristics=$(sed -nE 's/^Characteristics (0x[0-9a-fA-F]+)$/\1/p' <<<"$dump")
if [ -z "$characteristics" ] || (( (characteristics & 0x2000) == 0 )); then
  echo "not a DLL (Characteristics ${characteristics:-missing}): $dll"; fail=1
fi

exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -nE 's/^\s+\[ *[0-9]+\] (.+)$/\1/p' | sort)
want=$(printf '%s\n' "$@" | sort)
if [ "$exports" != "$want" ]; then
  echo "exports differ: got [$(echo $exports)], want [$(echo $want)]"; fail=1
fi

allowed='^(KERNEL32|USER32|GDI32|SHELL32|COMCTL32|OLE32|ADVAPI32|msvcrt)\.dll$'
while read -r imp; do
  [ -z "$imp" ] && continue
  if ! grep -qiE "$allowed" <<<"$imp"; then echo "unexpected import: $imp"; fail=1; fi
done < <(sed -nE 's/^\s*DLL Name: (.+)$/\1/p' <<<"$dump")

if [ $fail -eq 0 ]; then echo "ok: $(basename "$dll") exports [$(echo $exports)]"; fi
exit $fail

#!/usr/bin/env bash
# Checks a plug-in DLL's binary contract with objdump:
# - a PE32 i386 DLL that exports exactly the undecorated names of its .def file (NAME/NAME.def in
#   the project for NAME.dll);
# - it imports only from Windows system DLLs and msvcrt, and exactly the functions pinned in
#   NAME/NAME.imports, so that a new import is a decision that shows in review;
# - its PE header gives the GUI subsystem, and an OS and subsystem version no lower than the
#   oldest Windows the plug-ins support (cmake/windows.cmake);
# - it has no static TLS data: Windows XP gives none to a DLL loaded with LoadLibrary, as the
#   editor loads plug-ins. The .tls section may hold only the runtime's two markers.
#   check_dll.sh DLL          check
#   check_dll.sh --pin DLL    write the DLL's imports to NAME/NAME.imports (then review the diff)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
pin=0; [ "$1" = --pin ] && { pin=1; shift; }
dll=$1
name=$(basename "$dll" .dll)
def=$top/$name/$name.def
pinned=$top/$name/$name.imports
[ -f "$def" ] || { echo "no $def for $dll"; exit 1; }
dump=$(i686-w64-mingw32-objdump -p "$dll")

# The imports as "dll function" lines, the DLL's name in lower case, sorted.
imports=$(awk '
  /^\tDLL Name: / { lib = tolower($3); next }
  /^\tvma: / { inlist = 1; next }
  inlist && NF == 0 { inlist = 0; next }
  inlist && $2 ~ /^[0-9]+$/ && NF >= 3 { print lib, $3 }' <<<"$dump" | LC_ALL=C sort)
if [ $pin -eq 1 ]; then
  { echo "# What $name.dll imports, one function a line; tests/check_dll.sh compares. Update it with"
    echo "# 'bash tests/check_dll.sh --pin build/release/bin/$name.dll' and say why in the commit: each is a Windows API"
    echo "# the plug-in needs on every Windows it supports."
    echo "$imports"; } >"$pinned"
  echo "pinned $(wc -l <<<"$imports") imports of $name.dll in $pinned"
  exit 0
fi

fail=0
grep -q 'file format pei-i386' <<<"$(i686-w64-mingw32-objdump -f "$dll")" \
  || { echo "not a PE32 i386 file: $dll"; fail=1; }
# The file header's Characteristics word must carry IMAGE_FILE_DLL (0x2000); "DLL" elsewhere in
# the dump (DllCharacteristics, "DLL Name:" of the imports) says nothing about this file.
characteristics=$(sed -nE 's/^Characteristics (0x[0-9a-fA-F]+)$/\1/p' <<<"$dump")
if [ -z "$characteristics" ] || (( (characteristics & 0x2000) == 0 )); then
  echo "not a DLL (Characteristics ${characteristics:-missing}): $dll"; fail=1
fi

# The names after EXPORTS, each up to an '=' (an alias of a decorated symbol) or '@' (an ordinal).
want=$(sed -n '/^EXPORTS/,$p' "$def" | sed '1d; s/[=@;].*//' | awk 'NF { print $1 }' | sort)
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -nE 's/^\s+\[ *[0-9]+\] (.+)$/\1/p' | sort)
if [ "$exports" != "$want" ]; then
  echo "exports differ: got [$(echo $exports)], want [$(echo $want)]"; fail=1
fi

allowed='^(kernel32|user32|gdi32|shell32|comctl32|ole32|advapi32|msvcrt)\.dll$'
for lib in $(cut -d' ' -f1 <<<"$imports" | sort -u); do
  grep -qE "$allowed" <<<"$lib" || { echo "unexpected import: $lib"; fail=1; }
done
if [ ! -f "$pinned" ]; then
  echo "no pinned import list $pinned: write it with 'bash tests/check_dll.sh --pin $dll'"; fail=1
elif ! diff_out=$(diff <(grep -v '^#' "$pinned") <(echo "$imports")); then
  echo "imports differ from $pinned ('<' pinned only, '>' imported only):"
  sed 's/^/  /' <<<"$diff_out"
  fail=1
fi

# The PE header: the GUI subsystem, and versions no lower than the minimum.
minimum=$(sed -nE 's/^set\(WINDOWS_MINIMUM_VERSION ([0-9]+\.[0-9]+)\)/\1/p' "$top/cmake/windows.cmake")
field() { sed -nE "s/^$1\s+([0-9]+)$/\1/p" <<<"$dump"; }
at_least() {  # MAJOR MINOR: whether MAJOR.MINOR >= the minimum
  (( $1 > ${minimum%.*} || ($1 == ${minimum%.*} && $2 >= ${minimum#*.}) ))
}
at_least "$(field MajorOSystemVersion)" "$(field MinorOSystemVersion)" \
  || { echo "OS version $(field MajorOSystemVersion).$(field MinorOSystemVersion) is below $minimum"; fail=1; }
at_least "$(field MajorSubsystemVersion)" "$(field MinorSubsystemVersion)" \
  || { echo "subsystem version $(field MajorSubsystemVersion).$(field MinorSubsystemVersion) is below $minimum"; fail=1; }
grep -qE '^Subsystem\s+00000002\s' <<<"$dump" \
  || { echo "not the Windows GUI subsystem: $(grep -E '^Subsystem' <<<"$dump")"; fail=1; }

# Static TLS: the runtime's start and end markers take 8 bytes of .tls; anything more is data.
tls=$(i686-w64-mingw32-objdump -h "$dll" | awk '$2 == ".tls" { print $3 }')
if [ -n "$tls" ] && (( 16#$tls > 8 )); then
  echo "static TLS data ($((16#$tls)) bytes of .tls): Windows XP gives none to a DLL loaded with LoadLibrary"; fail=1
fi

if [ $fail -eq 0 ]; then
  echo "ok: $(basename "$dll") exports [$(echo $exports)], $(wc -l <<<"$imports") pinned imports, Windows $minimum or later, no static TLS"
fi
exit $fail

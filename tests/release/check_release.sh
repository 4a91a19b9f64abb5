#!/usr/bin/env bash
# Assembles the release from a Windows build tree into BUILD_DIR/release-check and checks what
# libjpeg-turbo's licence asks of it: the IJG sentence in THIRD-PARTY-NOTICES and in every DLL's
# version resource, which also has to carry the project's version and CP932 Japanese text.
#   check_release.sh BUILD_DIR VERSION [VERSION_TEXT_EXE]
# Without the reader program it checks what needs no Wine: the files, and the notice and version
# among each DLL's UTF-16 strings. With it, it reads every entry through the Windows version API.
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
reader=${3:+$(realpath "$3")}
top=$(cd "$(dirname "$0")/../.." && pwd)

notice='This software is based in part on the work of the Independent JPEG Group.'
folder=$(bash "$top/scripts/assemble-release.sh" "$build" "$build/release-check")

fail=0
bad() { echo "FAIL: $*"; fail=1; }

grep -qF "$notice" "$folder/THIRD-PARTY-NOTICES.txt" || bad "THIRD-PARTY-NOTICES.txt lacks the IJG sentence"
grep -qF 'Redistributions in binary form must reproduce the above copyright notice' \
  "$folder/THIRD-PARTY-NOTICES.txt" || bad "THIRD-PARTY-NOTICES.txt lacks the BSD licence text"
[ -f "$folder.zip" ] || bad "no zip beside $folder"

dlls=(stillsaver.dll seqwriter.dll picreader.dll)
if [ -z "$reader" ]; then
  for dll in "${dlls[@]}"; do
    strings16=$(strings -el "$folder/$dll")
    grep -qF "$notice" <<<"$strings16" || bad "$dll: its version resource lacks the IJG sentence"
    grep -qx "$version" <<<"$strings16" || bad "$dll: its version resource lacks version $version"
  done
  [ $fail -eq 0 ] && echo "ok: $folder and its three DLLs carry the notices and version $version"
  exit $fail
fi

listing=$(cd "$folder" && bash "$top/scripts/wine-run.sh" "$build" "$reader" "${dlls[@]/#/.\\}" \
  | tr -d '\r') || bad "a DLL has no version resource"
# One entry, as CP932 bytes.
entry() { sed -n "s/^\.\\\\$1|$2|//p" <<<"$listing"; }
product=$(printf 'YC48 JPEG プラグイン' | iconv -f UTF-8 -t CP932)

for dll in "${dlls[@]}"; do
  [[ $(entry "$dll" Comments) == *"$notice"* ]] || bad "$dll: Comments lacks the IJG sentence"
  for key in FileVersion ProductVersion; do
    [ "$(entry "$dll" $key)" = "$version" ] || bad "$dll: $key is [$(entry "$dll" $key)], want [$version]"
  done
  [ "$(entry "$dll" OriginalFilename)" = "$dll" ] || bad "$dll: OriginalFilename is [$(entry "$dll" OriginalFilename)]"
  [ "$(entry "$dll" ProductName)" = "$product" ] \
    || bad "$dll: ProductName is not the CP932 text: [$(entry "$dll" ProductName | od -An -tx1)]"
  for key in FileDescription LegalCopyright; do
    [ -n "$(entry "$dll" $key)" ] || bad "$dll: no $key"
  done
  [ "$(entry "$dll" Translation)" = "0411 03a4" ] \
    || bad "$dll: Translation is [$(entry "$dll" Translation)], want Japanese, code page 932"
done

[ $fail -eq 0 ] && echo "ok: $folder and its three DLLs carry the notices and version $version"
exit $fail

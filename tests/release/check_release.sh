#!/usr/bin/env bash
# Checks what libjpeg-turbo's licence asks of the release: the IJG sentence in
# THIRD-PARTY-NOTICES and in every DLL's version resource, which also has to carry the project's
# version and CP932 Japanese text; and that every text that names libjpeg-turbo's version (the
# notices, both guides, the README, the version resources) names the one the project is built
# against (cmake/deps.cmake), so that a version bump cannot ship stale notices.
#   check_release.sh BUILD_DIR VERSION [VERSION_TEXT_EXE RUNNER...]
#       assembles the release from a Windows build tree, into a folder of this check's own under
#       BUILD_DIR/release-check (one per kind of check, so that the two can run side by side);
#       RUNNER is the tree's emulator, which runs VERSION_TEXT_EXE under Wine
#   check_release.sh --release BUILD_DIR FOLDER VERSION
#       checks a release already assembled from BUILD_DIR (the main job's), without Wine
# Without the reader program it checks what needs no Wine: the files, and the notice and version
# among each DLL's UTF-16 strings. With it, it reads every entry through the Windows version API.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [ "$1" = --release ]; then
  build=$(cd "$2" && pwd)
  folder=$(cd "$3" && pwd)
  version=$4
  reader=
else
  build=$(cd "$1" && pwd)
  version=$2
  reader=${3:+$(realpath "$3")}
  runner=("${@:4}")
  kind=strings; [ -z "$reader" ] || kind=version-api
  folder=$(bash "$top/scripts/assemble-release.sh" "$build" "$build/release-check/$kind")
fi

notice='This software is based in part on the work of the Independent JPEG Group.'
# The version strings: FileVersion has the four parts of the fixed file version, ProductVersion
# is the release's own version.
declare -A want_version=([FileVersion]="$version.0" [ProductVersion]="$version")

fail=0
bad() { echo "FAIL: $*"; fail=1; }

grep -qF "$notice" "$folder/THIRD-PARTY-NOTICES.txt" || bad "THIRD-PARTY-NOTICES.txt lacks the IJG sentence"
grep -qF 'Redistributions in binary form must reproduce the above copyright notice' \
  "$folder/THIRD-PARTY-NOTICES.txt" || bad "THIRD-PARTY-NOTICES.txt lacks the BSD licence text"
[ -f "$folder.zip" ] || bad "no zip beside $folder"

# Every "libjpeg-turbo X.Y.Z" typed in a text names the version the DLLs contain.
jpeg_version=$(libjpeg_turbo_version)
for text in "$folder"/*.txt "$top/README.md"; do
  while read -r named; do
    [ "$named" = "libjpeg-turbo $jpeg_version" ] || bad "$(basename "$text") names $named; the DLLs contain libjpeg-turbo $jpeg_version"
  done < <(grep -oE 'libjpeg-turbo [0-9]+(\.[0-9]+)+' "$text")
done

mapfile -t dlls < <(sed 's/$/.dll/' "$build/plugins.txt")
if [ -z "$reader" ]; then
  for dll in "${dlls[@]}"; do
    strings16=$(strings -el "$folder/$dll")
    grep -qF "$notice" <<<"$strings16" || bad "$dll: its version resource lacks the IJG sentence"
    grep -qF "libjpeg-turbo $jpeg_version " <<<"$strings16" || bad "$dll: its version resource does not name libjpeg-turbo $jpeg_version"
    for key in FileVersion ProductVersion; do
      # The string right after the key's name is its value.
      value=$(grep -x -A1 "$key" <<<"$strings16" | sed -n 2p || true)
      [ "$value" = "${want_version[$key]}" ] || bad "$dll: $key is [$value], want [${want_version[$key]}]"
    done
  done
  [ $fail -eq 0 ] && echo "ok: $folder and its ${#dlls[@]} DLLs carry the notices and version $version"
  exit $fail
fi

listing=$(cd "$folder" && "${runner[@]}" "$reader" "${dlls[@]/#/.\\}" \
  | tr -d '\r') || bad "a DLL has no version resource"
# One entry, as CP932 bytes.
entry() { sed -n "s/^\.\\\\$1|$2|//p" <<<"$listing"; }
product=$(printf 'YC48 JPEG プラグイン' | iconv -f UTF-8 -t CP932)

for dll in "${dlls[@]}"; do
  [[ $(entry "$dll" Comments) == *"$notice"* ]] || bad "$dll: Comments lacks the IJG sentence"
  [[ $(entry "$dll" Comments) == *"libjpeg-turbo $jpeg_version "* ]] || bad "$dll: Comments does not name libjpeg-turbo $jpeg_version"
  for key in FileVersion ProductVersion; do
    [ "$(entry "$dll" $key)" = "${want_version[$key]}" ] \
      || bad "$dll: $key is [$(entry "$dll" $key)], want [${want_version[$key]}]"
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

[ $fail -eq 0 ] && echo "ok: $folder and its ${#dlls[@]} DLLs carry the notices and version $version"
exit $fail

#!/usr/bin/env bash
# Assembles the release from a Windows build tree: OUT_DIR/NAME/ holds the plug-in DLLs (listed
# in BUILD_DIR/plugins.txt), the user guides in Japanese and English, LICENSE.txt and
# THIRD-PARTY-NOTICES.txt, and OUT_DIR/NAME.zip holds that folder. NAME carries the version (BUILD_DIR/release-name.txt,
# written by CMake). Prints the folder's path.
#   assemble-release.sh BUILD_DIR OUT_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
name=$(cat "$build/release-name.txt")
folder=$out/$name

rm -rf "$folder" "$folder.zip"
mkdir "$folder"
while read -r plugin; do cp "$build/bin/$plugin.dll" "$folder/"; done <"$build/plugins.txt"

# Text as Windows Notepad reads it whatever its version and the system's code page: UTF-8 with
# a byte-order mark (without one, Notepad before Windows 10 1903 takes the file for CP932) and
# CRLF line ends (older Notepads show a bare LF file as one line).
windows_text() { { printf '\xef\xbb\xbf'; sed 's/\r$//; s/$/\r/' "$1"; } >"$2"; }
windows_text "$top/docs/guide-ja.txt" "$folder/guide-ja.txt"
windows_text "$top/docs/guide-en.txt" "$folder/guide-en.txt"
windows_text "$top/LICENSE" "$folder/LICENSE.txt"
windows_text "$top/THIRD-PARTY-NOTICES" "$folder/THIRD-PARTY-NOTICES.txt"

# The same commit gives the same zip: entries in a fixed order, one time for all (the commit's),
# fixed permissions, no extra fields (-X: no owner ids, access or change times), and the DOS
# times that zip derives from the local time zone taken in UTC.
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)}
stamp=${stamp:-1767225600}
chmod 644 "$folder"/*
touch -d "@$stamp" "$folder"/*
(cd "$out" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$name.zip" -@)
touch -d "@$stamp" "$folder" "$folder.zip"
echo "$folder"

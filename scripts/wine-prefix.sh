#!/usr/bin/env bash
# The one recipe of the Wine prefix that every Windows program of the project runs in:
#   wine-prefix.sh PREFIX
# Makes PREFIX when it is not ready; does nothing when it is (the marker file below). Where
# WINE_PREFIX_TEMPLATE names a ready prefix of the same recipe (the test VM's guest keeps one), it
# is copied instead of made anew: making one costs about a minute on an emulated CPU. Fails, with
# the reason, when Wine cannot make the prefix or take the settings: a prefix without its fonts
# or settings would give wrong pictures and slow windows without a word.
#
# The settings:
# - windows live on a virtual desktop, and are not handed to a window manager (Managed=N): with
#   no window manager on the display, focus changes and every show or hide of a captioned
#   window would wait for events that never come;
# - the dialog templates' Japanese system fonts map to the IPA Gothic pair of Debian's
#   fonts-ipafont-gothic (without it every caption is boxes, or clipped).
# Change the marker's number whenever the settings change, so that existing prefixes take them.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
prefix=$1
marker=.prefix-settings-2

[ -f "$prefix/$marker" ] && exit 0

wine_env "$prefix"
die() { echo "wine-prefix: $*" >&2; exit 1; }

template=${WINE_PREFIX_TEMPLATE:-}
if [ -n "$template" ] && [ -f "$template/$marker" ] && [ ! -e "$prefix" ]; then
  cp -a "$template" "$prefix.partial" && mv "$prefix.partial" "$prefix" \
    || die "copying the ready prefix $template to $prefix failed"
  exit 0
fi

wineserver -k 2>/dev/null || true   # a server of this prefix would keep the old settings
if [ ! -f "$prefix/system.reg" ]; then
  log=$(wineboot -i </dev/null 2>&1) || die "wineboot could not make $prefix: $(tail -n 5 <<<"$log")"
  [ -f "$prefix/system.reg" ] || die "wineboot left no registry in $prefix"
fi

reg=$(mktemp "${TMPDIR:-/tmp}/prefix-settings.XXXXXX.reg")
trap 'rm -f "$reg"' EXIT
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1280x1024"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for pair in 'ＭＳ Ｐゴシック=IPAPGothic' 'ＭＳ ゴシック=IPAGothic' 'MS UI Gothic=IPAPGothic' \
              'MS PGothic=IPAPGothic' 'MS Gothic=IPAGothic'; do
    printf '"%s"="%s"\r\n' "${pair%%=*}" "${pair#*=}"
  done
} | iconv -f UTF-8 -t UTF-16 >"$reg"
log=$(wine regedit /S "$(winpath "$reg")" </dev/null 2>&1) \
  || die "regedit could not take the prefix settings: $(tail -n 5 <<<"$log")"
wineserver -w   # the server writes the registry out when it ends
grep -q '"Managed"="N"' "$prefix/user.reg" || die "the prefix settings did not reach $prefix/user.reg"
touch "$prefix/$marker"

# What the project's scripts share; sourced, never run. Sets:
#   top          the project folder
#   deps_cache   where setup.sh builds the third-party libraries ($DEPS_CACHE, default .cache/)
#   vm_cache     where the test VM's guests are kept: $VM_CACHE, else $DEPS_CACHE/vm, else one
#                folder for the whole machine, so that every clone of the project finds them
#   jobs         parallel jobs for builds and test runs ($JOBS, default 2)
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps_cache=$(realpath -m "${DEPS_CACHE:-$top/.cache}")
if [ -n "${VM_CACHE:-}" ]; then
  vm_cache=$(realpath -m "$VM_CACHE")
elif [ -n "${DEPS_CACHE:-}" ]; then
  vm_cache=$deps_cache/vm
else
  vm_cache=/var/cache/yc48-jpeg-plugins/vm
fi
jobs=${JOBS:-2}
source "$top/scripts/wine-env.sh"

# Timing for the scripts' phase lines: now, and the seconds (one decimal) since a `now`.
now() { echo "$EPOCHREALTIME"; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null; then sudo "$@"
  else echo "root or sudo is needed to run: $*" >&2; return 1; fi
}

# The Debian packages listed under the given headings of scripts/packages.txt, one per line.
packages() {
  awk -v want=" $* " '
    /^\[/ { section = $1; gsub(/[][]/, "", section); next }
    { sub(/#.*/, "") }
    NF && index(want, " " section " ") { print $1 }' "$top/scripts/packages.txt" | awk '!seen[$0]++'
}

# Where the Windows programs run: WINE_ROUTE is "here" (this machine runs 32-bit Wine) or "vm"
# (the test VM), and WINE_ROUTE_WHY says why. The door to Wine (with-wine.sh) decides; this asks
# it once per run and exports the answer, so that every script the run starts takes the same.
wine_route() {
  [ -n "${WINE_ROUTE:-}" ] || eval "$(bash "$top/scripts/with-wine.sh" --route)"
}

# The Japanese locale, which gives Wine the ANSI code page 932. The same command makes it here
# and in the test VM's guest: make_ja_locale RUNNER, where RUNNER is as_root or a chroot.
have_ja_locale() { locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; }
make_ja_locale() { "$@" localedef -i ja_JP -c -f UTF-8 -A /usr/share/locale/locale.alias ja_JP.UTF-8; }

# A BMP written by a Windows program as a PNG; fails when nothing usable came out.
bmp_to_png() { bmptopnm "$1" 2>/dev/null | pnmtopng -compression 9 >"$2" 2>/dev/null && [ -s "$2" ]; }

# --- Debian's apt sources ---------------------------------------------------------------------
# The Debian entries (Types: deb) of this machine's apt sources, as deb822 stanzas: copied from
# the .sources files, or converted from the one-line entries of sources.list. Prints nothing
# when there are none.
debian_deb_stanzas() {
  local found
  found=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk 'BEGIN { RS = ""; ORS = "\n\n" }
    /(^|\n)Types:[^\n]*deb([ \n]|$)/ && /debian/ {
      gsub(/(^|\n)Types:[^\n]*/, "\nTypes: deb"); sub(/^\n/, ""); print }')
  if [ -z "$found" ] && [ -f /etc/apt/sources.list ]; then
    found=$(grep -E '^deb ' /etc/apt/sources.list | grep debian | sed -E 's/^deb (\[[^]]*\] )?//' \
      | awk '{ printf "Types: deb\nURIs: %s\nSuites: %s\nComponents:", $1, $2
               for (i = 3; i <= NF; i++) printf " %s", $i; printf "\n\n" }')
  fi
  printf '%s' "$found"
}

# The first Debian mirror of the machine's apt sources that is not the security archive.
debian_mirror() {
  debian_deb_stanzas | sed -nE 's/^URIs: *//p' | tr ' ' '\n' | grep -v security | grep . | head -n1
}

# --- The test VM's guest ----------------------------------------------------------------------
# The guest's Debian release, named only here.
guest_release=bookworm

# This machine's Debian entries for the guest: each suite renamed to the guest's release, its
# suffix kept (trixie-updates becomes bookworm-updates, stable-security bookworm-security).
guest_deb_stanzas() {
  debian_deb_stanzas | awk -v release="$guest_release" '
    /^Suites:/ {
      line = "Suites:"
      for (i = 2; i <= NF; i++) { dash = index($i, "-"); line = line " " release (dash ? substr($i, dash) : "") }
      print line; next
    }
    { print }'
}

# The guest's folder: one per recipe of its image (its packages, its release, its init and the
# steps that make it), so that clones and branches with other recipes keep guests of their own.
guest_dir() {
  local key
  key=$({ packages wine guest; echo "$guest_release"
          cat "$top/scripts/vm/guest-init.sh" "$top/scripts/vm/image.sh"; } | sha256sum | cut -c1-16)
  echo "$vm_cache/image-$key"
}
# The ready Wine prefix of a guest, as a disk image of its own: one per prefix recipe and Wine
# version, so that a change to the prefix remakes only the prefix.
guest_prefix() {
  local key
  key=$({ cat "$top/scripts/wine-prefix.sh" "$top/scripts/wine-env.sh"
          grep -E '^wine(32:i386)? ' "$1/versions.txt"; } | sha256sum | cut -c1-16)
  echo "$1/prefix-$key.img"
}
# How long a guest or a prefix that no run has used is kept (scripts/vm/build-guest.sh prunes).
guest_keep_days=${GUEST_KEEP_DAYS:-14}

# The libjpeg-turbo version the project is built against, named once in cmake/deps.cmake.
libjpeg_turbo_version() { sed -nE 's/^set\(LIBJPEG_TURBO_VERSION ([0-9.]+)\)/\1/p' "$top/cmake/deps.cmake"; }

# What the project's scripts share; sourced, never run. Sets:
#   top          the project folder
#   deps_cache   where setup.sh builds the third-party libraries ($DEPS_CACHE, default .cache/)
#   vm_cache     where the test VM's guest is kept: $VM_CACHE, else $DEPS_CACHE/vm, else one
#                folder for the whole machine, so that every clone of the project finds it
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

# Timing for the scripts' phase lines: now, and the seconds (one decimal) since a `now`.
now() { echo "$EPOCHREALTIME"; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null; then sudo "$@"
  else echo "root or sudo is needed to run: $*" >&2; return 1; fi
}

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

# The packages that run the Windows programs under Wine (one per line in wine-packages.txt).
wine_packages() { sed 's/#.*//' "$top/scripts/wine-packages.txt" | xargs; }

# Whether this machine's kernel runs 32-bit programs, so that Wine runs here and not in the VM.
runs_32bit_here() { bash "$top/scripts/runs-32bit.sh" "$deps_cache" 2>/dev/null; }

# Whether the Windows programs run in the test VM: where this machine's kernel runs no 32-bit
# programs, or when WINE_IN_VM=1 asks for the VM anyway (to try that route on a machine that
# does not need it).
wine_in_vm() { [ "${WINE_IN_VM:-0}" = 1 ] || ! runs_32bit_here; }
# How much longer the Windows-side tests may take: the VM's CPU is emulated.
wine_timeout_scale() { if wine_in_vm; then echo 4; else echo 1; fi; }
# Why the Windows programs run in the test VM (for the scripts' messages).
vm_reason() {
  if [ "${WINE_IN_VM:-0}" = 1 ]; then echo "WINE_IN_VM=1 asks for it"
  else bash "$top/scripts/runs-32bit.sh" "$deps_cache" 2>&1; fi
}

#!/usr/bin/env bash
# Makes the test VM's guest for this clone's recipe, where it is missing, and prunes the guests
# and prefixes that no run has used for $guest_keep_days days (GUEST_KEEP_DAYS, default 14).
# Only scripts/setup.sh runs it. Prints nothing on stdout; says on stderr what it does.
#   build-guest.sh
# A guest is a folder of the VM cache named by the key of its image's recipe (lib.sh's
# guest_dir): the system image (image.sh) and, beside it, ready Wine prefixes as disk images of
# their own, each keyed by the prefix recipe and Wine's version (lib.sh's guest_prefix). A build
# for one recipe never removes another's guest, so clones and branches with other recipes take
# turns without rebuilding; a change to the prefix recipe makes only a new prefix. A build that
# stopped half-way (a .partial) is started over. Building needs root (debootstrap, chroot,
# mounts) and the [vm] packages; checking needs neither.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib.sh"
source "$here/image.sh"
say() { echo "vm: $*" >&2; }
die() { echo "vm: error: $*" >&2; exit 1; }
exec 3>&1 1>&2   # nothing on stdout

guest=$(guest_dir)
ready() { [ -f "$guest/ready" ] && [ -f "$(guest_prefix "$guest").ready" ]; }

prune() {
  local old
  for old in "$vm_cache"/image-* "$vm_cache"/guest-*; do
    [ -d "$old" ] && [ "$old" != "$guest" ] || continue
    if [ -z "$(find "$old" -maxdepth 1 -name 'last-used' -mtime "-$guest_keep_days")" ] \
       && [ -z "$(find "$old" -maxdepth 1 -name ready -mtime "-$guest_keep_days")" ]; then
      say "removing $old: no run used it for $guest_keep_days days"
      rm -rf --one-file-system "$old"
    fi
  done
  for old in "$guest"/prefix-*.img; do
    [ -f "$old" ] && [ "$old" != "$(guest_prefix "$guest")" ] || continue
    if [ -z "$(find "$guest" -maxdepth 1 -name "$(basename "$old").last-used" -mtime "-$guest_keep_days")" ]; then
      say "removing $old: no run used it for $guest_keep_days days"
      rm -f "$old" "$old.ready" "$old.last-used"
    fi
  done
}

if ready; then
  if [ -w "$vm_cache" ]; then prune; fi
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  say "building the test VM's guest needs root; asking sudo"
  as_root env VM_CACHE="$vm_cache" GUEST_KEEP_DAYS="$guest_keep_days" bash "$here/build-guest.sh"
  exit $?
fi
for tool in qemu-system-x86_64 debootstrap mkfs.ext4 chroot flock; do
  command -v "$tool" >/dev/null || die "$tool is missing: run scripts/setup.sh"
done

# One build at a time; a second caller waits, and says for whom.
mkdir -p "$vm_cache"
exec 8>"$vm_cache/build.lock"
if ! flock -n 8; then
  say "waiting for another build of the guest: $(cat "$vm_cache/build.holder" 2>/dev/null || echo 'holder unknown')"
  flock -w "${VM_LOCK_WAIT:-3600}" 8 || die "the other build still holds $vm_cache/build.lock"
fi
echo "pid $$ of $(id -un) on $(hostname), since $(date '+%Y-%m-%d %H:%M:%S')" >"$vm_cache/build.holder"

if [ ! -f "$guest/ready" ]; then
  started=$(now)
  say "building the test VM's guest in $guest: this takes minutes (about 7 on 2 cores), downloads"
  say "  about 300 MB of Debian packages, and needs about 5 GB of disk while it builds (3 GB once built)"
  partial=$guest.partial
  unmount_all() {
    local m
    for m in dev/pts dev proc sys; do mountpoint -q "$partial/root/$m" 2>/dev/null && umount -l "$partial/root/$m"; done
    return 0
  }
  unmount_all
  rm -rf --one-file-system "$partial" "$guest"
  mkdir -p "$partial"
  trap unmount_all EXIT
  build_image "$partial" "$partial/build.log"
  touch "$partial/ready"
  install -m 666 /dev/null "$partial/last-used"
  mv "$partial" "$guest"
  say "guest image ready in $(seconds_since "$started") s: $guest"
fi

# The ready Wine prefix, made once inside the guest (this machine may not run Wine) on a disk of
# its own: a run copies it instead of spending about a minute on wineboot.
prefix=$(guest_prefix "$guest")
if [ ! -f "$prefix.ready" ]; then
  started=$(now)
  say "making the Wine prefix in the guest: $prefix"
  rm -f "$prefix.partial"
  truncate -s 2G "$prefix.partial"
  mkfs.ext4 -q -L vmprefix "$prefix.partial" || die "making the prefix disk failed"
  outcome=$(mktemp)
  bash "$top/scripts/with-wine.sh" --make-prefix "$prefix.partial" --outcome "$outcome" \
    bash "$top/scripts/wine-prefix.sh" /opt/prefix-disk/prefix >"$guest/prefix.log" 2>&1
  why=$(cat "$outcome" 2>/dev/null || echo 'no outcome'); rm -f "$outcome"
  if [ "$why" != "ran 0" ]; then
    tail -n 40 "$guest/prefix.log" >&2
    die "making the Wine prefix in the guest failed ($why); log: $guest/prefix.log"
  fi
  mv "$prefix.partial" "$prefix"
  install -m 666 /dev/null "$prefix.last-used"
  touch "$prefix.ready"
  say "Wine prefix ready in $(seconds_since "$started") s ($(grep -E '^wine ' "$guest/versions.txt"))"
fi
prune

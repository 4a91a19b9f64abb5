#!/usr/bin/env bash
# The test VM's guest: a Debian 12 amd64 system with 32-bit Wine (this machine's kernel may run
# no 32-bit programs; the guest's does) and a ready Wine prefix, packed into an ext4 image beside
# its kernel and initrd. Built once from Debian's packages, through the mirror of this machine's
# apt sources, and kept for every clone of the project on this machine:
#   build-guest.sh            prints the ready guest's folder (building it first if needed)
#   build-guest.sh --force    builds it anew
# The guest lives in VM_CACHE/guest-KEY (see lib.sh for VM_CACHE), KEY being a digest of its
# whole recipe: this script, the guest's init, its package list and the prefix recipe. A change
# to any of them builds a new guest, and the old one is removed once the new one is ready. A
# build that stopped half-way (guest-KEY.partial) is started over. Building needs root (for
# debootstrap and chroot) and qemu-system-x86, debootstrap and e2fsprogs (scripts/setup.sh
# installs them); checking needs neither.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib.sh"
say() { echo "vm: $*" >&2; }
die() { echo "vm: error: $*" >&2; exit 1; }

key=$(cat "$here/build-guest.sh" "$here/guest-init.sh" "$top/scripts/wine-packages.txt" \
  "$top/scripts/wine-prefix.sh" | sha256sum | cut -c1-16)
guest=$vm_cache/guest-$key
force=0; [ "${1:-}" = --force ] && force=1

if [ $force -eq 0 ] && [ -f "$guest/ready" ]; then echo "$guest"; exit 0; fi

if [ "$(id -u)" -ne 0 ]; then
  say "building the guest needs root; asking sudo"
  as_root env VM_CACHE="$vm_cache" bash "$here/build-guest.sh" "$@" >/dev/null
  echo "$guest"; exit 0
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
if [ $force -eq 0 ] && [ -f "$guest/ready" ]; then echo "$guest"; exit 0; fi

started=$(date +%s)
say "building the test VM's guest in $guest: this takes minutes (about 3 to 4 on 2 cores with a"
say "  fast mirror), downloads about 300 MB of Debian packages, and needs about 5 GB of disk while"
say "  it builds (2.5 GB once built)"
partial=$guest.partial
root=$partial/root
unmount_all() {
  local m
  for m in dev/pts dev proc sys; do mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m"; done
  return 0
}
unmount_all
rm -rf --one-file-system "$partial" "$guest"
mkdir -p "$partial"
trap unmount_all EXIT
log=$partial/build.log

mirror=$(debian_mirror)
[ -n "$mirror" ] || die "found no Debian entry in this machine's apt sources"
say "debootstrap of Debian 12 (with the kernel, ctest and Xvfb's helpers)"
debootstrap --variant=minbase \
  --include=linux-image-amd64,initramfs-tools,kmod,udev,procps,cmake \
  bookworm "$root" "$mirror" >>"$log" 2>&1 || { tail -n 20 "$log" >&2; die "debootstrap failed; log: $log"; }

# The guest takes its packages from the same Debian entries as this machine.
rm -f "$root/etc/apt/sources.list"
{ debian_deb_stanzas; echo; } >"$root/etc/apt/sources.list.d/debian.sources"
inroot() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
mount --bind /proc "$root/proc"
say "installing into the guest: $(wine_packages)"
{
  inroot dpkg --add-architecture i386 &&
  inroot apt-get update -q &&
  inroot apt-get install -y -q --no-install-recommends $(wine_packages) &&
  inroot apt-get clean
} >>"$log" 2>&1 || { tail -n 20 "$log" >&2; die "installing the guest's packages failed; log: $log"; }
# LANG=ja_JP.UTF-8 gives the Windows programs code page 932, as on a host with Wine
sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' "$root/etc/locale.gen"
inroot locale-gen >>"$log" 2>&1
# the project's folder and the job come in over 9p, before any disk but the root is needed
for m in 9p 9pnet 9pnet_virtio virtio_pci virtio_blk netfs fscache; do
  echo "$m" >>"$root/etc/initramfs-tools/modules"
done
inroot update-initramfs -u -k all >>"$log" 2>&1 || die "update-initramfs failed; log: $log"
inroot dpkg-query -W -f '${binary:Package} ${Version}\n' >"$partial/versions.txt"
umount "$root/proc"
install -m 755 "$here/guest-init.sh" "$root/sbin/vm-init"
cp -L "$root/vmlinuz" "$partial/vmlinuz"
cp -L "$root/initrd.img" "$partial/initrd.img"
size=$(( $(du -sm "$root" | cut -f1) + 1024 ))
mkfs.ext4 -q -L vmroot -d "$root" "$partial/root.img" "${size}M" >>"$log" 2>&1 \
  || die "packing the guest image failed; log: $log"
rm -rf --one-file-system "$root"
say "guest image packed ($size MiB) after $(( $(date +%s) - started )) s"

# The ready Wine prefix, made once inside the guest (this machine cannot run Wine) and kept in the
# image: a run copies it instead of spending about a minute on wineboot.
say "making the Wine prefix in the guest"
job=$(mktemp -d "${TMPDIR:-/tmp}/vm-job.XXXXXX")
cat >"$job/cmd.sh" <<JOB
set -euo pipefail
bash $(printf '%q' "$top/scripts/wine-prefix.sh") /opt/wine-prefix
wine --version >$(printf '%q' "$job/wine-version")
JOB
VM_WRITABLE=1 bash "$here/run-vm.sh" "$partial" "$job" >>"$log" 2>&1 \
  || { tail -n 40 "$log" >&2; rm -rf "$job"; die "making the Wine prefix in the guest failed; log: $log"; }
echo "wine-version $(cat "$job/wine-version")" >>"$partial/versions.txt"
rm -rf "$job"

mv "$partial" "$guest"
touch "$guest/ready"
for old in "$vm_cache"/guest-*; do
  [ "$old" = "$guest" ] || rm -rf --one-file-system "$old"
done
say "guest ready in $(( $(date +%s) - started )) s: $guest ($(grep '^wine-version' "$guest/versions.txt"))"
echo "$guest"

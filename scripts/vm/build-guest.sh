#!/usr/bin/env bash
# Builds the test VM's guest once, from Debian's packages only: a Debian 12 amd64 root file
# system with 32-bit Wine in it (this host's kernel may run no 32-bit programs; the guest's does),
# packed into an ext4 image beside its kernel and initrd, all under ${DEPS_CACHE:-.cache}/vm.
#   build-guest.sh            build what is missing (nothing when the guest is up to date)
#   build-guest.sh --force    rebuild the root file system and the image from scratch
# The image is repacked when guest-init.sh changes. Needs root (debootstrap, chroot) and about
# 5 GB of disk; the first build takes ~7 minutes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
vm=${DEPS_CACHE:-$top/.cache}/vm
root=$vm/root
mkdir -p "$vm"
[ "$(id -u)" = 0 ] || { echo "build-guest: run as root (debootstrap and chroot need it)" >&2; exit 1; }
for tool in debootstrap mkfs.ext4; do
  command -v "$tool" >/dev/null || { echo "build-guest: $tool is missing (test-in-vm.sh installs it)" >&2; exit 1; }
done
if [ "${1:-}" = --force ]; then rm -rf "$root" "$vm/root-complete" "$vm/root.img" "$vm/image-stamp"; fi

if [ ! -f "$vm/root-complete" ]; then
  # A debootstrap that stopped half-way cannot be resumed: start that part over.
  if [ ! -x "$root/usr/bin/apt-get" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase \
      --include=linux-image-amd64,initramfs-tools,kmod,udev,procps,locales,cmake,xvfb,xauth,fonts-ipafont-gothic,util-linux,iproute2 \
      bookworm "$root" http://deb.debian.org/debian
  fi
  rm -f "$root/etc/apt/sources.list"
  cat >"$root/etc/apt/sources.list.d/debian.sources" <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  inroot() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
  mountpoint -q "$root/proc" || mount --bind /proc "$root/proc"
  trap 'umount "$root/proc" 2>/dev/null || true' EXIT
  inroot dpkg --add-architecture i386
  inroot apt-get update -q
  inroot apt-get install -y -q --no-install-recommends \
    wine wine32:i386 libwine:i386 fonts-wine binutils binutils-mingw-w64-i686 file zip unzip
  inroot apt-get clean
  # LANG=ja_JP.UTF-8 gives the Windows programs code page 932, as on the host
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/; s/^# *\(en_US.UTF-8 UTF-8\)/\1/' "$root/etc/locale.gen"
  inroot locale-gen
  # the project's folder comes in over 9p, before any disk but the root is needed
  for m in 9p 9pnet 9pnet_virtio virtio_pci virtio_blk netfs fscache; do
    grep -qx "$m" "$root/etc/initramfs-tools/modules" || echo "$m" >>"$root/etc/initramfs-tools/modules"
  done
  inroot update-initramfs -u -k all
  umount "$root/proc"
  trap - EXIT
  touch "$vm/root-complete"
fi

# The image: rebuilt when missing, or when the guest's init (baked into it) has changed.
stamp=$(sha256sum "$here/guest-init.sh" | cut -d' ' -f1)
if [ ! -f "$vm/root.img" ] || [ "$(cat "$vm/image-stamp" 2>/dev/null)" != "$stamp" ]; then
  if mountpoint -q "$root/proc" || mountpoint -q "$root/sys" || mountpoint -q "$root/dev"; then
    echo "build-guest: unmount $root/proc, /sys, /dev first" >&2; exit 1
  fi
  install -m 755 "$here/guest-init.sh" "$root/sbin/vm-init"
  cp -L "$root/vmlinuz" "$vm/vmlinuz" 2>/dev/null || cp "$(ls "$root"/boot/vmlinuz-* | tail -1)" "$vm/vmlinuz"
  cp -L "$root/initrd.img" "$vm/initrd.img" 2>/dev/null || cp "$(ls "$root"/boot/initrd.img-* | tail -1)" "$vm/initrd.img"
  rm -f "$vm/root.img" "$vm/image-stamp"
  size=$(( $(du -sm "$root" | cut -f1) + 1024 ))
  mkfs.ext4 -q -L vmroot -d "$root" "$vm/root.img.new" "${size}M"
  mv "$vm/root.img.new" "$vm/root.img"
  echo "$stamp" >"$vm/image-stamp"
  echo "build-guest: image ready: $vm/root.img (${size} MiB)"
fi

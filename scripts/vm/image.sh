# The recipe of the test VM's system image; sourced by build-guest.sh (as root), never run. Its
# text is part of the guest's key (lib.sh's guest_dir), with the packages, the release and the
# guest's init: a change to any of them makes a new guest.
#
# build_image DIR LOG: debootstraps the guest's release with the [guest] packages into DIR/root,
# from the first Debian mirror of this machine's apt sources; gives it this machine's Debian
# entries with the suites renamed to its release; installs the [wine] packages without
# recommended ones, the Japanese locale and the init; and packs it into DIR/root.img beside its
# kernel (vmlinuz, initrd.img) and the list of its packages' versions (versions.txt).
build_image() {
  local dir=$1 log=$2 root=$1/root mirror size m
  inroot() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
  mirror=$(debian_mirror)
  [ -n "$mirror" ] || die "found no Debian entry in this machine's apt sources"
  say "debootstrap of Debian $guest_release with: $(packages guest | xargs)"
  debootstrap --variant=minbase --include="$(packages guest | paste -sd,)" \
    "$guest_release" "$root" "$mirror" >>"$log" 2>&1 || die "debootstrap failed; log: $log"

  rm -f "$root/etc/apt/sources.list"
  { guest_deb_stanzas; echo; } >"$root/etc/apt/sources.list.d/debian.sources"
  mount --bind /proc "$root/proc"
  say "installing into the guest: $(packages wine | xargs)"
  {
    inroot dpkg --add-architecture i386 &&
    inroot apt-get update -q &&
    inroot apt-get install -y -q --no-install-recommends $(packages wine) &&
    inroot apt-get clean
  } >>"$log" 2>&1 || die "installing the guest's packages failed; log: $log"
  make_ja_locale inroot >>"$log" 2>&1 || die "making the Japanese locale in the guest failed; log: $log"
  # the project's folder and the job come in over 9p, before any disk but the root is needed
  for m in 9p 9pnet 9pnet_virtio virtio_pci virtio_blk netfs fscache; do
    echo "$m" >>"$root/etc/initramfs-tools/modules"
  done
  inroot update-initramfs -u -k all >>"$log" 2>&1 || die "update-initramfs failed; log: $log"
  inroot dpkg-query -W -f '${binary:Package} ${Version}\n' >"$dir/versions.txt"
  umount "$root/proc"
  install -m 755 "$top/scripts/vm/guest-init.sh" "$root/sbin/vm-init"
  cp -L "$root/vmlinuz" "$dir/vmlinuz"
  cp -L "$root/initrd.img" "$dir/initrd.img"
  size=$(( $(du -sm "$root" | cut -f1) + 1024 ))
  mkfs.ext4 -q -L vmroot -d "$root" "$dir/root.img" "${size}M" >>"$log" 2>&1 \
    || die "packing the guest image failed; log: $log"
  rm -rf --one-file-system "$root"
  say "guest image packed ($size MiB)"
}

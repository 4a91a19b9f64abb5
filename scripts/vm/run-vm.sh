#!/usr/bin/env bash
# Boots the test VM (full-system emulation, TCG, no KVM: slow but needs nothing from the host's
# kernel), runs one shell command in it as root, and powers it off:
#   run-vm.sh 'COMMAND'     (no command: an interactive shell on the serial console)
# The project folder is shared read-write at its own absolute path, so paths in build trees hold.
# Output: the console on stdout; the command's output also in CACHE/vm/job/out.log; exits with
# the command's code (124: the whole-VM timeout struck, 125: the VM gave no result).
# Env: VM_MEM (MiB, 4096), VM_SMP (2), VM_CPU (max,-smap), VM_TIMEOUT (s, 3600), VM_LOCK_WAIT (s, 3600).
# Callers that prepare files for the job first take the lock themselves (VM_LOCK_HELD=1).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
vm=$(mkdir -p "${DEPS_CACHE:-$top/.cache}/vm" && cd "${DEPS_CACHE:-$top/.cache}/vm" && pwd)
case "$top$vm" in *[[:space:],]*) echo "run-vm: $top or $vm holds a space or comma; 9p and the kernel command line cannot take it" >&2; exit 125 ;; esac
[ -f "$vm/root.img" ] || { echo "run-vm: no guest image; run scripts/vm/build-guest.sh" >&2; exit 125; }
# One VM at a time: the image, job/ and tree/ are shared.
if [ "${VM_LOCK_HELD:-0}" != 1 ]; then
  exec 8>"$vm/lock"
  flock -w "${VM_LOCK_WAIT:-3600}" 8 || { echo "run-vm: another VM is still running" >&2; exit 125; }
fi
mkdir -p "$vm/job"
rm -f "$vm/job/rc" "$vm/job/out.log"
if [ $# -gt 0 ]; then printf '%s\n' "$*" >"$vm/job/cmd.sh"; else rm -f "$vm/job/cmd.sh"; fi
share=(-virtfs "local,path=$top,mount_tag=top,security_model=none,id=top")
case "$vm/" in "$top"/*) ;; *) share+=(-virtfs "local,path=$vm,mount_tag=vmcache,security_model=none,id=vmcache") ;; esac
# -smap off: with SMAP exposed, TCG faults the 32-bit IRET Wine relies on (kernel Oops in wineboot)
rc=0
timeout -k 10 "${VM_TIMEOUT:-3600}" qemu-system-x86_64 \
  -machine q35 -accel tcg,thread=multi -cpu "${VM_CPU:-max,-smap}" -m "${VM_MEM:-4096}" -smp "${VM_SMP:-2}" \
  -display none -monitor none -serial stdio -no-reboot \
  -kernel "$vm/vmlinuz" -initrd "$vm/initrd.img" \
  -append "console=ttyS0 root=/dev/vda rw rootfstype=ext4 init=/sbin/vm-init panic=1 quiet loglevel=3 vmtop=$top vmcache=$vm" \
  -drive "file=$vm/root.img,format=raw,if=virtio,cache=unsafe" \
  "${share[@]}" -nic none || rc=$?
[ "$rc" = 124 ] && { echo "run-vm: the VM ran longer than VM_TIMEOUT=${VM_TIMEOUT:-3600}s and was stopped" >&2; exit 124; }
[ -f "$vm/job/rc" ] && exit "$(cat "$vm/job/rc")"
[ $# -eq 0 ] && exit 0
echo "run-vm: the VM stopped without a job result (qemu exit $rc)" >&2; exit 125

#!/usr/bin/env bash
# Boots the test VM once (qemu-system-x86_64 with TCG: full emulation, nothing needed from this
# machine's kernel) to run one job, and powers it off:
#   run-vm.sh GUEST_DIR JOB_DIR
# JOB_DIR/cmd.sh is the job; the project folder and JOB_DIR are shared over 9p at their own
# absolute paths, so paths in build trees hold. The guest's disk is booted with -snapshot (a run
# never changes the image) unless VM_WRITABLE=1 (used once, to make the guest's Wine prefix).
# The console goes to stdout and to JOB_DIR/console.log. Exits with the job's code, or:
#   123  the job could not start in the guest (it wrote the reason to JOB_DIR/setup-failed)
#   124  the whole-VM timeout (VM_TIMEOUT seconds, default 3600) stopped the VM
#   125  the VM gave no result: it did not boot, its kernel oopsed or panicked, or it stopped
#        without recording the job's exit code
# On 123, 124 and 125 the console's last 40 lines are printed to stderr.
# Env: VM_MEM (MiB, 4096), VM_SMP (2), VM_CPU (max,-smap), VM_TIMEOUT, VM_WRITABLE.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
guest=$1
job=$(cd "$2" && pwd)
case "$top$job$guest" in
  *[[:space:],]*) echo "vm: $top, $job or $guest holds a space or comma, which 9p and the kernel command line cannot take" >&2; exit 125 ;;
esac
for f in vmlinuz initrd.img root.img; do
  [ -f "$guest/$f" ] || { echo "vm: $guest/$f is missing" >&2; exit 125; }
done
rm -f "$job/rc" "$job/setup-failed" "$job/started" "$job/console.log"

console_tail() {
  echo "vm: the guest console's last 40 lines:" >&2
  tail -n 40 "$job/console.log" | sed 's/^/  | /' >&2
}
snapshot=(-snapshot); [ "${VM_WRITABLE:-0}" = 1 ] && snapshot=()
timeout=${VM_TIMEOUT:-3600}
# -smap off: with SMAP exposed, TCG faults the 32-bit IRET Wine relies on (kernel oops in wineboot).
# oops=panic and -no-reboot: a guest kernel oops ends the VM at once instead of leaving a job
# half-dead until the timeout.
t0=$(date +%s.%N)
set +e
timeout -k 10 "$timeout" qemu-system-x86_64 \
  -machine q35 -accel tcg,thread=multi -cpu "${VM_CPU:-max,-smap}" -m "${VM_MEM:-4096}" -smp "${VM_SMP:-2}" \
  -display none -monitor none -serial stdio -no-reboot -nic none \
  -kernel "$guest/vmlinuz" -initrd "$guest/initrd.img" \
  -append "console=ttyS0 root=/dev/vda rw rootfstype=ext4 init=/sbin/vm-init oops=panic panic=1 quiet loglevel=3 vmtop=$top vmjob=$job" \
  -drive "file=$guest/root.img,format=raw,if=virtio,cache=unsafe" "${snapshot[@]}" \
  -virtfs "local,path=$top,mount_tag=top,security_model=none,id=top" \
  -virtfs "local,path=$job,mount_tag=job,security_model=none,id=job" \
  </dev/null 2>&1 | tee "$job/console.log"
rc=${PIPESTATUS[0]}
set -e
if [ -f "$job/started" ]; then
  echo "vm: boot took $(awk -v a="$t0" -v b="$(stat -c %.3Y "$job/started")" 'BEGIN { printf "%.1f", b - a }') s (emulated CPU)" >&2
fi
if [ "$rc" = 124 ]; then
  echo "vm: the VM ran longer than VM_TIMEOUT=${timeout} s and was stopped" >&2; console_tail; exit 124
fi
if [ -f "$job/setup-failed" ]; then
  echo "vm: the job could not start in the guest: $(cat "$job/setup-failed")" >&2; console_tail; exit 123
fi
[ -f "$job/rc" ] && exit "$(cat "$job/rc")"
if grep -qE 'Oops|Kernel panic|BUG:|general protection' "$job/console.log"; then
  echo "vm: the guest's kernel failed (qemu exit $rc), and the job left no result" >&2
else
  echo "vm: the VM stopped without a job result (qemu exit $rc)" >&2
fi
console_tail
exit 125

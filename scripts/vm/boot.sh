#!/usr/bin/env bash
# Boots the test VM once (qemu-system-x86_64 with TCG: full emulation, nothing needed from this
# machine's kernel) to run one job, and powers it off:
#   boot.sh GUEST_DIR PREFIX_IMAGE JOB_DIR
# The guest's init runs scripts/vm/job.sh on JOB_DIR; the project folder and JOB_DIR are shared
# over 9p at their own absolute paths, so paths in build trees hold. Both disks (the guest's
# system and its ready Wine prefix) are booted as snapshots, which no run changes, except that
# VM_PREFIX_WRITABLE=1 lets the job write the prefix disk (once, to make the prefix).
# The console goes to stdout and to JOB_DIR/console.log. How the VM ended is written, out of band
# of the job's own exit code, to JOB_DIR/outcome as one line:
#   ran RC              the job ran and exited RC
#   not-started REASON  the guest could not start the job
#   timeout SECONDS     the whole-VM time limit (VM_TIMEOUT, default 3600 s) stopped the VM
#   no-result [DETAIL]  it did not boot, its kernel failed, or it stopped without a result
# In every case but "ran", the console's last 40 lines are printed to stderr.
# Env: VM_MEM (MiB, 4096), VM_SMP (2), VM_CPU (max,-smap), VM_TIMEOUT, VM_PREFIX_WRITABLE.
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
guest=$1 prefix=$2
job=$(cd "$3" && pwd)
rm -f "$job/rc" "$job/not-started" "$job/started" "$job/console.log" "$job/outcome"
outcome() { echo "$*" >"$job/outcome"; }
console_tail() {
  echo "vm: the guest console's last 40 lines:" >&2
  tail -n 40 "$job/console.log" 2>/dev/null | sed 's/^/  | /' >&2
}
case "$top$job$guest$prefix" in
  *[[:space:],]*) outcome "not-started a path holds a space or comma, which 9p and the kernel command line cannot take"; exit 0 ;;
esac
for f in "$guest/vmlinuz" "$guest/initrd.img" "$guest/root.img" "$prefix"; do
  [ -f "$f" ] || { outcome "not-started $f is missing"; exit 0; }
done

prefix_snapshot=on; [ "${VM_PREFIX_WRITABLE:-0}" = 1 ] && prefix_snapshot=off
timeout=${VM_TIMEOUT:-3600}
# -smap off: with SMAP exposed, TCG faults the 32-bit IRET Wine relies on (kernel oops in wineboot).
# oops=panic and -no-reboot: a guest kernel oops ends the VM at once instead of leaving a job
# half-dead until the timeout.
started=$(now)
timeout -k 10 "$timeout" qemu-system-x86_64 \
  -machine q35 -accel tcg,thread=multi -cpu "${VM_CPU:-max,-smap}" -m "${VM_MEM:-4096}" -smp "${VM_SMP:-2}" \
  -display none -monitor none -serial stdio -no-reboot -nic none \
  -kernel "$guest/vmlinuz" -initrd "$guest/initrd.img" \
  -append "console=ttyS0 root=/dev/vda rw rootfstype=ext4 init=/sbin/vm-init oops=panic panic=1 quiet loglevel=3 vmtop=$top vmjob=$job" \
  -drive "file=$guest/root.img,format=raw,if=virtio,cache=unsafe,snapshot=on" \
  -drive "file=$prefix,format=raw,if=virtio,cache=unsafe,snapshot=$prefix_snapshot" \
  -virtfs "local,path=$top,mount_tag=top,security_model=none,id=top" \
  -virtfs "local,path=$job,mount_tag=job,security_model=none,id=job" \
  </dev/null 2>&1 | tee "$job/console.log"
qemu=${PIPESTATUS[0]}
if [ -f "$job/started" ]; then
  echo "vm: boot took $(awk -v a="$started" -v b="$(stat -c %.3Y "$job/started")" 'BEGIN { printf "%.1f", b - a }') s (emulated CPU)" >&2
fi

if [ "$qemu" = 124 ]; then
  outcome "timeout $timeout"
elif [ -f "$job/not-started" ]; then
  outcome "not-started $(head -n1 "$job/not-started")"
elif [ -f "$job/rc" ]; then
  outcome "ran $(cat "$job/rc")"; exit 0
elif grep -qE 'Oops|Kernel panic|BUG:|general protection' "$job/console.log"; then
  outcome "no-result the guest's kernel failed (qemu exit $qemu)"
else
  outcome "no-result qemu exit $qemu"
fi
console_tail

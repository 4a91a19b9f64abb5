#!/bin/bash
# PID 1 of the test VM (installed in the guest as /sbin/vm-init). Mounts the host's project
# folder and the VM's cache folder over 9p at the same absolute paths as on the host (given on
# the kernel command line as vmtop= and vmcache=), runs the job VMCACHE/job/cmd.sh with its
# output on the console and in job/out.log, records its exit code in job/rc, and powers off.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mount -o remount,rw /
ip link set lo up 2>/dev/null
hostname vm
vmtop= vmcache=
for arg in $(cat /proc/cmdline); do
  case $arg in vmtop=*) vmtop=${arg#vmtop=} ;; vmcache=*) vmcache=${arg#vmcache=} ;; esac
done
modprobe 9pnet_virtio 2>/dev/null; modprobe 9p 2>/dev/null
opts=trans=virtio,version=9p2000.L,msize=262144,cache=mmap
mkdir -p "$vmtop" && mount -t 9p -o $opts top "$vmtop"
# the cache lies inside the project folder (the default) or, with DEPS_CACHE, on a share of its own
if grep -qs vmcache /sys/bus/virtio/drivers/9pnet_virtio/*/mount_tag; then
  mkdir -p "$vmcache" && mount -t 9p -o $opts vmcache "$vmcache"
fi
export HOME=/root USER=root LOGNAME=root TERM=dumb
echo "vm-init: up after $(cut -d' ' -f1 /proc/uptime)s; project at $vmtop"
job=$vmcache/job
if [ -f "$job/cmd.sh" ]; then
  start=$(date +%s)
  bash "$job/cmd.sh" </dev/null 2>&1 | tee "$job/out.log"
  rc=${PIPESTATUS[0]}
  echo "vm-init: job rc=$rc in $(( $(date +%s) - start ))s" | tee -a "$job/out.log"
  echo "$rc" >"$job/rc"
else
  echo "vm-init: no $job/cmd.sh; a shell on the console (exit powers off)"
  setsid -c bash -i </dev/ttyS0 >/dev/ttyS0 2>&1
fi
sync
umount -a -t 9p 2>/dev/null
echo o >/proc/sysrq-trigger
sleep 10

#!/bin/bash
# PID 1 of the test VM (installed in the guest as /sbin/vm-init). Mounts the host's project
# folder and the run's job folder over 9p at their own absolute paths (given on the kernel
# command line as vmtop= and vmjob=) and the second disk, the ready Wine prefix, at
# /opt/prefix-disk; runs the project's scripts/vm/job.sh on the job folder with its output on
# the console; and powers off. Whatever keeps it from running the job is written to
# JOB/not-started when the job folder is there, and said on the console; the VM powers off at
# once, and the host reports what it learnt.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
prefix_disk=/opt/prefix-disk
poweroff_now() {
  sync; umount "$prefix_disk" 2>/dev/null; umount -a -t 9p 2>/dev/null
  echo o >/proc/sysrq-trigger; sleep 10
}
give_up() {
  echo "vm-init: $*; powering off"
  [ -n "${vmjob:-}" ] && mountpoint -q "$vmjob" && echo "$*" >"$vmjob/not-started"
  poweroff_now
}

mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mount -o remount,rw / || give_up "the root file system cannot be written"
ip link set lo up 2>/dev/null
hostname vm
vmtop= vmjob=
for arg in $(cat /proc/cmdline); do
  case $arg in vmtop=*) vmtop=${arg#vmtop=} ;; vmjob=*) vmjob=${arg#vmjob=} ;; esac
done
[ -n "$vmtop" ] && [ -n "$vmjob" ] || give_up "no vmtop= or vmjob= on the kernel command line"
modprobe 9pnet_virtio 2>/dev/null; modprobe 9p 2>/dev/null
opts=trans=virtio,version=9p2000.L,msize=262144,cache=mmap
mkdir -p "$vmjob" && mount -t 9p -o $opts job "$vmjob" || give_up "the job folder $vmjob did not mount"
mkdir -p "$vmtop" && mount -t 9p -o $opts top "$vmtop" || give_up "the project folder $vmtop did not mount"
mkdir -p "$prefix_disk" && mount /dev/vdb "$prefix_disk" || give_up "the Wine prefix disk did not mount"
[ -f "$vmtop/scripts/vm/job.sh" ] || give_up "there is no $vmtop/scripts/vm/job.sh"

export HOME=/root USER=root LOGNAME=root TERM=dumb
export WINE_PREFIX_TEMPLATE=$prefix_disk/prefix   # scripts/wine-prefix.sh copies it when ready
echo "vm-init: up after $(cut -d' ' -f1 /proc/uptime) s; project at $vmtop"
touch "$vmjob/started"
bash "$vmtop/scripts/vm/job.sh" "$vmjob" </dev/null 2>&1
poweroff_now

#!/bin/bash
# PID 1 of the test VM (installed in the guest as /sbin/vm-init). Mounts the host's project
# folder and the run's job folder over 9p at their own absolute paths (given on the kernel
# command line as vmtop= and vmjob=), runs JOB/cmd.sh with its output on the console and in
# JOB/out.log, records its exit code in JOB/rc, and powers off. Whatever keeps it from running
# the job is said on the console, and the VM powers off at once: the host then reports a VM that
# gave no result, with the console's last lines.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
poweroff_now() { sync; umount -a -t 9p 2>/dev/null; echo o >/proc/sysrq-trigger; sleep 10; }
give_up() { echo "vm-init: $*; powering off"; poweroff_now; }

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
mkdir -p "$vmtop" && mount -t 9p -o $opts top "$vmtop" || give_up "the project folder $vmtop did not mount"
mkdir -p "$vmjob" && mount -t 9p -o $opts job "$vmjob" || give_up "the job folder $vmjob did not mount"
[ -f "$vmjob/cmd.sh" ] || give_up "there is no job: $vmjob/cmd.sh is missing"

export HOME=/root USER=root LOGNAME=root TERM=dumb
# the ready Wine prefix made when the guest was built (scripts/wine-prefix.sh copies it)
[ -d /opt/wine-prefix ] && export WINE_PREFIX_TEMPLATE=/opt/wine-prefix
echo "vm-init: up after $(cut -d' ' -f1 /proc/uptime) s; project at $vmtop"
start=$(date +%s)
touch "$vmjob/started"
bash "$vmjob/cmd.sh" </dev/null 2>&1 | tee "$vmjob/out.log"
rc=${PIPESTATUS[0]}
echo "vm-init: job rc=$rc in $(( $(date +%s) - start )) s"
echo "$rc" >"$vmjob/rc"
poweroff_now

#!/usr/bin/env bash
# Runs a Windows build tree's CTest tests inside the test VM, for hosts whose kernel runs no
# 32-bit programs (hence no 32-bit Wine). Opt-in: nothing else in the project calls it.
#   test-in-vm.sh [BUILD_DIR] [CTEST ARGS...]      BUILD_DIR defaults to build/win32
#   e.g.  test-in-vm.sh build/win32 -R 'win32\.core_tests$'
# Installs qemu-system-x86 and debootstrap if missing and builds the guest once (build-guest.sh).
# The tree is copied (without its Wine prefix and objects; with Testing/, for --rerun-failed)
# into the VM's cache; in the guest it is copied again onto tmpfs (Windows programs run from the
# 9p share crash: the mapped image's pages come out wrong) and bind-mounted over BUILD_DIR's own
# path, so its absolute paths hold and nothing in BUILD_DIR changes while the tests run. A fresh
# Wine prefix is made there. At the end Testing/ is copied back into BUILD_DIR. Exits with
# ctest's code.
# ctest gets --timeout 600 unless the arguments give one. Env: see run-vm.sh (VM_TIMEOUT, ...).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=build/win32
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then build=$1; shift; fi
case $build in /*) ;; *) build=$top/$build ;; esac
[ -f "$build/CTestTestfile.cmake" ] || { echo "test-in-vm: $build is not a configured build tree" >&2; exit 2; }
build=$(cd "$build" && pwd)
args=("$@")
case " $* " in *" --timeout "*|*" --timeout="*) ;; *) args=(--timeout 600 "${args[@]}") ;; esac

# host packages, from Debian's archive
need=()
command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
command -v debootstrap >/dev/null || need+=(debootstrap)
if [ ${#need[@]} -gt 0 ]; then
  sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
  echo "test-in-vm: installing ${need[*]}"
  $sudo apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
fi

vm=$(mkdir -p "${DEPS_CACHE:-$top/.cache}/vm" && cd "${DEPS_CACHE:-$top/.cache}/vm" && pwd)
# one VM at a time; held from the snapshot to the copy back (run-vm.sh is told so)
exec 8>"$vm/lock"
flock -w "${VM_LOCK_WAIT:-3600}" 8 || { echo "test-in-vm: another VM is still running" >&2; exit 125; }
bash "$here/build-guest.sh"

t0=$(date +%s)
rm -rf "$vm/tree"
mkdir -p "$vm/tree" "$vm/job"
# Files changing while they are copied mean the tree is being rebuilt: said, and the run goes on.
tar -C "$build" --exclude=./wineprefix --exclude=./wine-state --exclude=CMakeFiles -cf - . \
  | tar -C "$vm/tree" -xf - \
  || echo "test-in-vm: WARNING: $build changed while it was copied (a rebuild?); results may mix builds" >&2

cat >"$vm/job/ctest-job.sh" <<JOB
set -uo pipefail
mkdir -p /tmp/tree $(printf '%q' "$build")
tar -C $(printf '%q' "$vm/tree") -cf - . | tar -C /tmp/tree -xf - || exit 125
mount --bind /tmp/tree $(printf '%q' "$build") || exit 125
trap 'cp -a /tmp/tree/Testing $(printf '%q' "$vm/tree")/ 2>/dev/null' EXIT
cd $(printf '%q' "$top")
t0=\$(date +%s)
bash scripts/wine-run.sh $(printf '%q' "$build") cmd /c echo wine-prefix-ready >/dev/null
t1=\$(date +%s)
echo "vm-job: fresh Wine prefix in \$((t1 - t0))s"
ctest --test-dir $(printf '%q ' "$build" "${args[@]}")
rc=\$?
echo "vm-job: ctest rc=\$rc in \$((\$(date +%s) - t1))s"
bash scripts/wine-run.sh $(printf '%q' "$build") --shutdown
exit \$rc
JOB
rc=0
VM_LOCK_HELD=1 bash "$here/run-vm.sh" "bash $(printf '%q' "$vm/job/ctest-job.sh")" || rc=$?
if [ -d "$vm/tree/Testing" ]; then
  # the guest had this list too: if its ctest removed it, it goes here as well
  rm -f "$build"/Testing/Temporary/LastTestsFailed*.log
  mkdir -p "$build/Testing"
  cp -a "$vm/tree/Testing/." "$build/Testing/"
fi
echo "test-in-vm: rc=$rc, whole run $(( $(date +%s) - t0 ))s (log: $vm/job/out.log)"
exit "$rc"

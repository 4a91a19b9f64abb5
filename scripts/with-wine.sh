#!/usr/bin/env bash
# The one door to Wine: every script that runs a Windows program goes through here.
#   with-wine.sh [--keep DIR]... [--vm-cpu MODEL] [--outcome FILE] BUILD_DIR [NAME=VALUE]... COMMAND [ARGS...]
#   with-wine.sh --route
#   with-wine.sh --make-prefix DISK COMMAND [ARGS...]
# COMMAND is a Windows program of the build tree BUILD_DIR (a path ending in .exe: it runs under
# Wine in the tree's prefix) or a Linux command, such as ctest, that runs the tree's Windows
# programs itself (through the tree's emulator, wine-run.sh). NAME=VALUE words before it are
# put in its environment. It runs in the caller's folder (in the test VM, when that folder lies
# in the project; else in the project folder).
#
# The route, decided once per run and passed on as WINE_ROUTE (and WINE_ROUTE_WHY) to COMMAND
# and to every script of the run (`--route` prints it as shell assignments; lib.sh's wine_route
# asks for it):
#   here  where this machine's kernel runs 32-bit programs (runs-32bit.sh);
#   vm    where it does not, or with WINE_IN_VM=1: the test VM (scripts/vm/), which boots once
#         for the command, with BUILD_DIR (which must lie in the project) copied into the
#         guest's memory at its own path; each --keep DIR of it is copied back afterwards.
#         --vm-cpu MODEL boots it with that qemu CPU model, on either kind of machine.
# Wine is stopped for BUILD_DIR afterwards, on both routes. --make-prefix is build-guest.sh's:
# it boots the VM with DISK as the guest's prefix disk, writable, to run COMMAND without a tree.
#
# Exits with COMMAND's own code when it ran. When the test VM gave no result (it could not
# start the command, stopped at its time limit, or ended without a word) or the copy back
# failed, says so on stderr and exits 125; --outcome FILE gets one line in every case: "ran RC",
# "not-started REASON", "timeout SECONDS", "no-result" or "copy-back-failed".
set -uo pipefail
source "$(dirname "$0")/lib.sh"

decide_route() {
  [ -z "${WINE_ROUTE:-}" ] || return 0
  local why
  if [ "${WINE_IN_VM:-0}" = 1 ]; then
    WINE_ROUTE=vm WINE_ROUTE_WHY="WINE_IN_VM=1 asks for the test VM"
  elif why=$(bash "$top/scripts/runs-32bit.sh" "$deps_cache" 2>&1); then
    WINE_ROUTE=here WINE_ROUTE_WHY="this machine's kernel runs 32-bit programs"
  else
    WINE_ROUTE=vm WINE_ROUTE_WHY=$why
  fi
  export WINE_ROUTE WINE_ROUTE_WHY
}

if [ "${1:-}" = --route ]; then
  decide_route
  printf 'export WINE_ROUTE=%q WINE_ROUTE_WHY=%q\n' "$WINE_ROUTE" "$WINE_ROUTE_WHY"
  exit 0
fi

keep=() cpu= outcome_file= prefix_disk=
while :; do
  case ${1:-} in
    --keep) keep+=("$2"); shift 2 ;;
    --vm-cpu) cpu=$2; shift 2 ;;
    --outcome) outcome_file=$2; shift 2 ;;
    --make-prefix) prefix_disk=$2; shift 2 ;;
    *) break ;;
  esac
done
if [ -n "$prefix_disk" ]; then
  build=
else
  [ $# -ge 2 ] || { echo "usage: $0 [--keep DIR]... [--vm-cpu MODEL] [--outcome FILE] BUILD_DIR [NAME=VALUE]... COMMAND [ARGS...]" >&2; exit 2; }
  build=$(cd "$1" && pwd) || exit 2
  shift
fi
decide_route
[ -z "$cpu" ] || WINE_ROUTE=vm WINE_ROUTE_WHY="an emulated $cpu CPU is asked for"
[ -z "$prefix_disk" ] || WINE_ROUTE=vm WINE_ROUTE_WHY="the guest's Wine prefix is made in the guest"

outcome() { [ -z "$outcome_file" ] || echo "$*" >"$outcome_file"; }
vm_failed() { echo "with-wine: $1" >&2; outcome "$2"; exit 125; }

if [ "$WINE_ROUTE" = here ]; then
  while [[ ${1:-} =~ ^[A-Za-z_][A-Za-z0-9_]*= ]]; do export "${1?}"; shift; done
  rc=0
  case $1 in
    *.exe) bash "$top/scripts/wine-run.sh" "$build" "$@" || rc=$? ;;
    *) "$@" || rc=$? ;;
  esac
  bash "$top/scripts/wine-run.sh" "$build" --shutdown
  outcome "ran $rc"
  exit "$rc"
fi

# --- The test VM --------------------------------------------------------------------------------
case "$build/" in "$top"/*|/) ;; *) echo "with-wine: $build is not in the project folder $top" >&2; exit 2 ;; esac
guest=$(guest_dir)
[ -f "$guest/ready" ] || vm_failed "the test VM has no guest for this recipe ($guest): run scripts/setup.sh" "not-started no guest"
if [ -n "$prefix_disk" ]; then
  prefix=$prefix_disk
  export VM_PREFIX_WRITABLE=1
else
  prefix=$(guest_prefix "$guest")
  [ -f "$prefix.ready" ] || vm_failed "the test VM's guest has no Wine prefix for this recipe ($prefix): run scripts/setup.sh" "not-started no prefix"
  # Each use marks the guest and its prefix, so that setup.sh prunes only what no run wants.
  touch -c "$guest/last-used" "$prefix.last-used" 2>/dev/null
fi

# The job folder holds data only; scripts/vm/job.sh, in the guest, reads it.
job=$(mktemp -d "${TMPDIR:-/tmp}/vm-job.XXXXXX")
trap 'rm -rf "$job"' EXIT
printf '%s\n' "$build" >"$job/build"
printf '%s\n' "${keep[@]}" >"$job/keep"
printf '%s\n' "$PWD" >"$job/cwd"
printf '%q ' "$@" >"$job/command"
echo "with-wine: in the test VM ($WINE_ROUTE_WHY)"
VM_CPU=${cpu:-${VM_CPU:-}} bash "$top/scripts/vm/boot.sh" "$guest" "$prefix" "$job"
[ -z "$build" ] || { cp "$job/console.log" "$build/vm-console.log" 2>/dev/null \
  && echo "with-wine: the guest's console is kept in $build/vm-console.log"; }

result= detail=
[ -f "$job/outcome" ] && read -r result detail <"$job/outcome"
case $result in
  ran)
    if [ -f "$job/copy-back-failed" ]; then
      vm_failed "the command ran (exit $detail), but copying its results back failed: $(cat "$job/copy-back-failed")" copy-back-failed
    fi
    outcome "ran $detail"; exit "$detail" ;;
  not-started) vm_failed "the test VM could not start the command: $detail" "not-started $detail" ;;
  timeout) vm_failed "the test VM ran longer than its time limit (VM_TIMEOUT=$detail s) and was stopped" "timeout $detail" ;;
  *) vm_failed "the test VM ended without a result${detail:+: $detail}" no-result ;;
esac

#!/usr/bin/env bash
# The test VM's half of with-wine.sh, run by the guest's init in every boot:
#   job.sh JOB_DIR
# JOB_DIR holds data written by the host, never code:
#   build    the Windows build tree's path (empty for a job without one, such as making the prefix)
#   keep     the tree's folders to copy back, one per line
#   cwd      the caller's folder
#   command  the command's words, each quoted with printf %q
# The tree is copied onto tmpfs and mounted over its own path (Windows programs crash when they
# run from the 9p share), without Wine prefixes, Wine state and object files at any depth; the
# guest's ready prefix is laid over the tree's; the command runs through with-wine.sh, here in
# the guest;
# then each kept folder of the guest's copy replaces the tree's. Writes JOB_DIR/rc (the
# command's exit code), JOB_DIR/not-started (why the command could not start) or
# JOB_DIR/copy-back-failed. Each phase prints its time, measured on the emulated CPU.
set -uo pipefail
job=$1
source "$(dirname "$0")/../lib.sh"
export WINE_ROUTE=here WINE_ROUTE_WHY="Wine runs in the test VM's guest"
cannot() { echo "vm-job: $*"; echo "$*" >"$job/not-started"; exit 1; }
copy_back_failed() { echo "vm-job: $*"; echo "$*" >"$job/copy-back-failed"; exit 1; }

build=$(<"$job/build")
mapfile -t keep < <(grep . "$job/keep")
eval "words=($(<"$job/command"))" || cannot "the command's words could not be read"
cwd=$(<"$job/cwd")

if [ -z "$build" ]; then
  cd "$top" && "${words[@]}"
  echo $? >"$job/rc"
  exit 0
fi

t=$(now)
tree=/tmp/tree
mkdir -p "$tree" "$build" || cannot "no room for the tree in the guest"
tar -C "$build" --exclude="$wine_prefix_name" --exclude="$wine_prefix_name.partial" \
    --exclude="$wine_state_name" --exclude=CMakeFiles --exclude='*.obj' --exclude='*.o' \
    --exclude='*.a' -cf - . | tar -C "$tree" -xf - || cannot "copying $build into the guest failed"
mount --bind "$tree" "$build" || cannot "mounting the copy over $build failed"
echo "vm: tree copied in $(seconds_since "$t") s"
t=$(now)
# The guest's ready prefix, under an overlay that takes this run's writes (copying it would cost
# seconds on the emulated CPU); wine-prefix.sh then finds it ready, or makes it.
prefix=$build/$wine_prefix_name
if [ -d "${WINE_PREFIX_TEMPLATE:-}" ]; then
  mkdir -p "$prefix" /tmp/prefix-upper /tmp/prefix-work && modprobe overlay 2>/dev/null
  mount -t overlay overlay -o "lowerdir=$WINE_PREFIX_TEMPLATE,upperdir=/tmp/prefix-upper,workdir=/tmp/prefix-work" \
    "$prefix" || cannot "the guest's Wine prefix could not be mounted over $prefix"
fi
bash "$top/scripts/wine-prefix.sh" "$prefix" || cannot "the Wine prefix could not be made"
echo "vm: Wine prefix ready in $(seconds_since "$t") s"

case "$cwd/" in "$top"/*) cd "$cwd" 2>/dev/null || cd "$top" ;; *) cd "$top" ;; esac
t=$(now)
# through a pipe: on the console, Wine would draw its output with terminal controls
bash "$top/scripts/with-wine.sh" "$build" "${words[@]}" 2>&1 | cat
rc=${PIPESTATUS[0]}
echo "vm: the command took $(seconds_since "$t") s on the emulated CPU (exit $rc)"
echo "$rc" >"$job/rc"

[ ${#keep[@]} -gt 0 ] || exit 0
t=$(now)
cd /
umount "$prefix" 2>/dev/null
umount "$build" || copy_back_failed "unmounting the guest's copy of $build failed, so nothing was copied back"
for d in "${keep[@]}"; do
  [ -e "$tree/$d" ] || continue
  mkdir -p "$(dirname "$build/$d")" && rm -rf "$build/$d.from-vm" && cp -a "$tree/$d" "$build/$d.from-vm" \
    && rm -rf "$build/$d" && mv "$build/$d.from-vm" "$build/$d" || copy_back_failed "copying $d back failed"
done
echo "vm: copied back ${keep[*]} in $(seconds_since "$t") s"

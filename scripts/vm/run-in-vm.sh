#!/usr/bin/env bash
# Runs a command on a Windows build tree inside the test VM, for machines whose kernel runs no
# 32-bit programs (hence no 32-bit Wine):
#   run-in-vm.sh [--keep SUBDIR]... BUILD_DIR COMMAND [ARGS...]
#   e.g.  run-in-vm.sh --keep Testing build/win32 ctest --test-dir build/win32 -R 'core_tests$'
# BUILD_DIR lies in the project folder. In the guest it is copied onto tmpfs (Windows programs
# crash when they run from the 9p share) and mounted over its own path, without Wine prefixes,
# Wine state and object files at any depth; the guest's ready Wine prefix is copied in; COMMAND
# runs from the project folder (shared at its own path, so that files written outside BUILD_DIR,
# such as out/demo, land on this machine directly). Afterwards each SUBDIR of the guest's copy
# is copied back into BUILD_DIR; every other change to BUILD_DIR stays in the guest. Each phase
# prints its time, measured on the emulated CPU.
# Exits with COMMAND's code, or as run-vm.sh says (123, 124, 125: the VM gave no result).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib.sh"
keep=()
while [ "${1:-}" = --keep ]; do keep+=("$2"); shift 2; done
[ $# -ge 2 ] || { echo "usage: $0 [--keep SUBDIR]... BUILD_DIR COMMAND [ARGS...]" >&2; exit 2; }
build=$(cd "$1" && pwd); shift
case "$build/" in "$top"/*) ;; *) echo "vm: $build is not in the project folder $top" >&2; exit 2 ;; esac

guest=$(bash "$here/build-guest.sh") || exit 125
job=$(mktemp -d "${TMPDIR:-/tmp}/vm-job.XXXXXX")
trap 'rm -rf "$job"' EXIT
q() { [ $# -eq 0 ] || printf '%q ' "$@"; }
cat >"$job/cmd.sh" <<JOB
set -uo pipefail
build=$(q "$build"); top=$(q "$top"); job=$(q "$job")
keep=($(q "${keep[@]}"))
cannot() { echo "vm-job: \$*"; echo "\$*" >"\$job/setup-failed"; exit 123; }
now() { date +%s.%N; }
since() { awk -v a="\$1" -v b="\$(now)" 'BEGIN { printf "%.1f", b - a }'; }

t=\$(now)
mkdir -p /tmp/tree "\$build" || cannot "no room for the tree in the guest"
tar -C "\$build" --exclude=wineprefix --exclude=wineprefix.partial --exclude=wine-state \\
    --exclude=CMakeFiles --exclude='*.obj' --exclude='*.o' --exclude='*.a' -cf - . \\
  | tar -C /tmp/tree -xf - || cannot "copying \$build into the guest failed"
mount --bind /tmp/tree "\$build" || cannot "mounting the copy over \$build failed"
echo "vm: tree copied in \$(since "\$t") s"
t=\$(now)
bash "\$top/scripts/wine-prefix.sh" "\$build/wineprefix" || cannot "the Wine prefix could not be made"
echo "vm: Wine prefix ready in \$(since "\$t") s"

cd "\$top"
t=\$(now)
$(q "$@")
rc=\$?
echo "vm: the command took \$(since "\$t") s on the emulated CPU (exit \$rc)"
bash scripts/wine-run.sh "\$build" --shutdown >/dev/null 2>&1

t=\$(now)
umount "\$build"
for d in "\${keep[@]}"; do
  [ -e "/tmp/tree/\$d" ] || continue
  rm -rf "\$build/\$d.from-vm" && cp -a "/tmp/tree/\$d" "\$build/\$d.from-vm" \\
    && rm -rf "\$build/\$d" && mv "\$build/\$d.from-vm" "\$build/\$d" || { echo "vm-job: copying \$d back failed"; rc=1; }
done
[ \${#keep[@]} -eq 0 ] || echo "vm: copied back \${keep[*]} in \$(since "\$t") s"
exit \$rc
JOB

rc=0
bash "$here/run-vm.sh" "$guest" "$job" || rc=$?
cp "$job/console.log" "$build/vm-console.log" 2>/dev/null && echo "vm: the guest's console is kept in $build/vm-console.log"
exit "$rc"

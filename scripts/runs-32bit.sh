#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit (i386) Linux programs itself, which Wine's 32-bit
# loader needs; 1 with the reason on stderr when it does not. Some virtual machines run 64-bit
# programs only (their i386 execve fails with "Exec format error"); an emulator registered for
# i386 programs in binfmt_misc does not count: Wine does not run usefully under qemu's user mode.
# Only the door to Wine (with-wine.sh) asks it; elsewhere the Windows programs run in the test VM.
#   runs-32bit.sh [SCRATCH_DIR]     the probe is written there (default: the dependency cache,
#                                   not /tmp, which may be mounted noexec)
set -uo pipefail
source "$(dirname "$0")/lib.sh"
dir=${1:-$deps_cache}
mkdir -p "$dir" && probe=$(mktemp "$dir/i386-probe.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT

# An emulator for i386 programs: its ELF magic has class 32-bit (byte 4 = 01) and e_machine 3
# (bytes 18-19, little-endian). Emulators for other 32-bit machines (arm, say) do not matter.
binfmt=/proc/sys/fs/binfmt_misc
for entry in "$binfmt"/*; do
  [ -f "$entry" ] || continue
  case $(basename "$entry") in register|status) continue ;; esac
  grep -qx enabled "$entry" || continue
  magic=$(sed -n 's/^magic //p' "$entry")
  if [ "${magic:0:10}" = 7f454c4601 ] && [ "${magic:36:4}" = 0300 ]; then
    echo "i386 programs go through an emulator here ($entry), not the kernel" >&2
    exit 1
  fi
done

# A 232-byte i386 program that only calls exit(0).
printf '%s' 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAABwAAAAAAAAADQAIAABACgAAwACAAEAAABUAAAAVIAECFSABAgJAAAACQAAAAcAAAABAAAAuAEAAAAx282AAC5zaHN0cnRhYgAudGV4dAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAALAAAAAQAAAAcAAABUgAQIVAAAAAkAAAAAAAAAAAAAAAEAAAAAAAAAAQAAAAMAAAAAAAAAAAAAAF0AAAARAAAAAAAAAAAAAAABAAAAAAAAAA==' \
  | base64 -d > "$probe" && chmod +x "$probe"
if ! err=$("$probe" 2>&1); then
  err=$(tail -n 1 <<<"$err"); err=${err##*: }
  echo "this kernel runs no 32-bit programs (running an i386 program: \"${err:-it failed}\"), so Wine's 32-bit loader cannot start" >&2
  exit 1
fi
exit 0

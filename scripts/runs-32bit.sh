#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit (i386) Linux programs itself, which Wine's 32-bit
# loader needs; 1 with the reason on stderr when it does not. Some virtual machines run 64-bit
# programs only (their i386 execve fails with "Exec format error"); an emulator registered for
# i386 programs in binfmt_misc does not count: Wine does not run usefully under qemu's user mode.
#   runs-32bit.sh [SCRATCH_DIR]
set -uo pipefail
dir=${1:-${TMPDIR:-/tmp}}
probe=$(mktemp "$dir/i386-probe.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT

binfmt=/proc/sys/fs/binfmt_misc
for entry in "$binfmt"/*; do
  [ -f "$entry" ] || continue
  case $(basename "$entry") in register|status) continue ;; esac
  if grep -qx enabled "$entry" && grep -q '^magic 7f454c4601' "$entry"; then
    echo "32-bit programs go through an emulator here ($entry), not the kernel" >&2
    exit 1
  fi
done

# A 232-byte i386 program that only calls exit(0).
printf '%s' 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAABwAAAAAAAAADQAIAABACgAAwACAAEAAABUAAAAVIAECFSABAgJAAAACQAAAAcAAAABAAAAuAEAAAAx282AAC5zaHN0cnRhYgAudGV4dAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAALAAAAAQAAAAcAAABUgAQIVAAAAAkAAAAAAAAAAAAAAAEAAAAAAAAAAQAAAAMAAAAAAAAAAAAAAF0AAAARAAAAAAAAAAAAAAABAAAAAAAAAA==' \
  | base64 -d > "$probe" && chmod +x "$probe"
if ! "$probe" 2>/dev/null; then
  echo "this kernel runs no 32-bit programs (IA-32 emulation is off), so Wine's 32-bit loader cannot start" >&2
  exit 1
fi
exit 0

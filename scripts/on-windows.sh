#!/usr/bin/env bash
# Runs a command that needs 32-bit Wine on a Windows build tree, wherever this machine can:
#   on-windows.sh [--keep SUBDIR]... BUILD_DIR COMMAND [ARGS...]
# Where this machine's kernel runs 32-bit programs (runs-32bit.sh), COMMAND runs here, from the
# project folder. Where it does not, it runs in the test VM (vm/run-in-vm.sh, which says what
# --keep does), on the same files: this is how the tests, the demonstration, the pictures and the
# long run reach the real DLLs on any x86-64 Linux machine.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
if ! wine_in_vm; then
  while [ "${1:-}" = --keep ]; do shift 2; done
  shift   # BUILD_DIR: the command names it itself
  cd "$top"
  exec "$@"
fi
exec bash "$top/scripts/vm/run-in-vm.sh" "$@"

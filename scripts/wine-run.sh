#!/usr/bin/env bash
# Runs a 32-bit Windows program of a Windows build tree under Wine, here:
#   wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]    run one program
#   wine-run.sh BUILD_DIR --shutdown               stop the tree's wine server and virtual display,
#                                                  and wait until they are gone
# Two callers only: the door to Wine (with-wine.sh), and CTest, for which it is the Windows
# tree's emulator (CMAKE_CROSSCOMPILING_EMULATOR) inside a run of the door. The Wine prefix lives
# in BUILD_DIR (made once, by wine-prefix.sh). One wine server and one Xvfb display are kept
# alive across the programs of a run, started with their output detached so that CTest does not
# wait on them; the door shuts them down at the end.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build=$(cd "$1" && pwd); shift
wine_env "$build/$wine_prefix_name"
state=$build/$wine_state_name
mkdir -p "$state"

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }
# Waits up to 10 s for the process of a pid file to end.
gone() { for _ in $(seq 100); do alive "$1" || return 0; sleep 0.1; done; return 1; }

if [ "${1:-}" = "--shutdown" ]; then
  status=0
  if alive "$state/wineserver.pid"; then
    wineserver -k 2>/dev/null || true
    gone "$state/wineserver.pid" || { echo "wine-run: the wine server of $build did not end" >&2; status=1; }
  fi
  if alive "$state/xvfb.pid"; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    gone "$state/xvfb.pid" || { echo "wine-run: the virtual display of $build did not end" >&2; status=1; }
  fi
  rm -f "$state"/*.pid "$state/display"
  exit $status
fi

# The lock guards the set-up below. Nothing started under it inherits the descriptor (9>&-):
# a server or display that held it would keep every later run waiting if this script were
# killed before it unlocks (a test timeout while the prefix is being made).
exec 9>"$state/lock"
flock 9

# The prefix: made once, by the project's one recipe (wine-prefix.sh).
bash "$top/scripts/wine-prefix.sh" "$WINEPREFIX" 9>&-

if ! alive "$state/xvfb.pid"; then
  rm -f "$state/display"
  # Xvfb picks a free display and writes its number to the given descriptor.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$state/display" </dev/null >/dev/null 2>&1 9>&- &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do [ -s "$state/display" ] && break; sleep 0.05; done
  [ -s "$state/display" ] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
fi
export DISPLAY=":$(head -n1 "$state/display")"

if ! alive "$state/wineserver.pid"; then
  setsid wineserver -f -p </dev/null >/dev/null 2>&1 9>&- &
  echo $! >"$state/wineserver.pid"
  # Start Wine's own background processes now, detached from the caller's output.
  wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
fi

flock -u 9
exec 9>&-
if [ -n "${WINE_RUN_FSIZE_BLOCKS:-}" ]; then
  # A test that needs writes to fail for real: limit the size of files this process may write
  # (after the set-up above, which must not be limited) and let the write fail instead of
  # killing the process.
  trap '' XFSZ
  ulimit -f "$WINE_RUN_FSIZE_BLOCKS"
fi
exec wine "$@"

#!/usr/bin/env bash
# Reliability figures: kills the program N times (default 1000) at random moments of its
# saves, half of them during the exit's save and half during the saves that follow changes,
# and checks every file after each kill. Runs the end-to-end check kill_during_save.sh
# without its time limit on a private X server and Wine prefix; ends with its result line.
# Needs the Windows build (cmake --build --preset windows).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

KILLS=${1:-1000}
[ -f "$BUILD/windows/bin/tessara.exe" ] || {
  echo "build the Windows program first: cmake --preset windows && cmake --build --preset windows"
  exit 1
}
ensure_packages || { echo "package installation failed"; exit 1; }

cleanup() {
  stop_wine
  stop_xvfb
}
trap cleanup EXIT
start_xvfb || exit 1
export WINEPREFIX="$BUILD/wine-kill"
prepare_wine

KILL_EXIT=$((KILLS / 2)) KILL_CHANGE=$((KILLS - KILLS / 2)) KILL_SECONDS=0 \
  bash "$ROOT/tests/e2e/kill_during_save.sh"

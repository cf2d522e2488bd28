#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under Wine from
# build/windows/bin. With a display it shows there; without one it runs on a private X
# server, saves a screenshot under build/ and says where.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

ensure_packages

HEADLESS=0
if [ -z "${DISPLAY:-}" ]; then
  HEADLESS=1
  start_xvfb
  trap 'stop_wine; stop_xvfb' EXIT
fi
export WINEPREFIX="${WINEPREFIX:-$BUILD/wine}"
prepare_wine

cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"

BIN="$BUILD/windows/bin"
if [ "$HEADLESS" -eq 0 ]; then
  echo "Starting $BIN/tessara.exe"
  cd "$BIN" && exec wine ./tessara.exe
fi

(cd "$BIN" && wine ./tessara.exe </dev/null >/dev/null 2>&1 &)
xdotool search --sync --onlyvisible --name '^Tessara' >/dev/null
sleep 1  # let the first paint finish
SHOT="$BUILD/screenshot.png"
xwd -root -silent | convert xwd:- "$SHOT"
echo "Tessara ran on a private X server ($DISPLAY); screenshot: $SHOT"

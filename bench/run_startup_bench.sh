#!/usr/bin/env bash
# Start-up benchmark under Wine with a warm server. Sixteen windows of 8 x 8 tiles (1024
# tiles; plain, picture and transparent looks) start (a) from intact caches and (b) with
# every icon and layer cache deleted; (c) is the floor, a minimal program putting sixteen
# painted popups of the same sizes on the screen. Each figure is the median over
# BENCH_RUNS starts (default 9) of the milliseconds from process creation to the last
# window painted, as the program itself reports it.
#
# Uses DISPLAY and WINEPREFIX when set, else a private Xvfb and build/wine-bench.
# TESSARA_BIN names a folder holding tessara.exe, TESSARA.DLL and tessara_floor.exe;
# without it build/windows is built first.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$ROOT"

RUNS="${BENCH_RUNS:-9}"
OWN_XVFB=0
WORK=""
cleanup() {
  stop_wine
  [ "$OWN_XVFB" -eq 1 ] && stop_xvfb
  [ -n "$WORK" ] && rm -rf "$WORK"
  true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  start_xvfb
  OWN_XVFB=1
fi
export WINEPREFIX="${WINEPREFIX:-$BUILD/wine-bench}"
# A running server of the prefix would keep prepare_wine waiting: start from a fresh one.
wineserver -k 2>/dev/null || true
prepare_wine

if [ -z "${TESSARA_BIN:-}" ]; then
  echo "== building build/windows"
  cmake --preset windows >"$BUILD/bench-configure.log" 2>&1
  cmake --build --preset windows -j"$(nproc)" --target tessara tessara_floor >"$BUILD/bench-build.log" 2>&1 ||
    { tail -n 30 "$BUILD/bench-build.log"; exit 1; }
  TESSARA_BIN="$BUILD/windows/bin"
fi
for f in tessara.exe TESSARA.DLL tessara_floor.exe; do
  [ -f "$TESSARA_BIN/$f" ] || { echo "missing $TESSARA_BIN/$f" >&2; exit 1; }
done

WORK=$(mktemp -d /tmp/tessara-bench.XXXXXX)
PF="$WORK/program"
mkdir -p "$PF"
cp "$TESSARA_BIN/tessara.exe" "$TESSARA_BIN/TESSARA.DLL" "$TESSARA_BIN/tessara_floor.exe" "$PF/"
python3 "$ROOT/bench/startup/make_folder.py" "$PF" "$WINEPREFIX"
read -r -a GEOMETRY <"$PF/floor-geometry.txt"

wait_gone() {  # waits for the process $1 to end, up to 60 s
  local i
  for i in $(seq 1 600); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# First start: the program composes every window and writes its caches at exit.
echo "== first start, writing the caches"
(cd "$PF" && exec wine ./tessara.exe </dev/null >/dev/null 2>&1) &
pid=$!
# With windows to restore the control panel starts parked off the screen.
panel=$(timeout 60 xdotool search --sync --name '^Tessarav1\.99\.0\.3 beta$' | head -n 1)
[ -n "$panel" ] || { echo "the control panel did not appear" >&2; exit 1; }
for i in $(seq 1 300); do
  [ "$(xdotool search --onlyvisible --name '^ts$' 2>/dev/null | wc -l)" -eq 16 ] && break
  sleep 0.1
done
# The windows must have the places and sizes the floor program is given.
shown=$(for w in $(xdotool search --onlyvisible --name '^ts$'); do
  eval "$(xdotool getwindowgeometry --shell "$w")"
  echo "$X,$Y,$WIDTH,$HEIGHT"
done | sort)
expected=$(printf '%s\n' "${GEOMETRY[@]}" | sort)
[ "$shown" = "$expected" ] || { echo "window geometry differs from the floor's:"; diff <(echo "$expected") <(echo "$shown"); exit 1; }
# A second start brings the control panel on screen, where it can take the exit key.
(cd "$PF" && timeout 30 wine ./tessara.exe </dev/null >/dev/null 2>&1) || { echo "second start failed" >&2; exit 1; }
for i in $(seq 1 100); do
  eval "$(xdotool getwindowgeometry --shell "$panel")"
  [ "$X" -lt 1280 ] && break
  sleep 0.1
done
xdotool windowfocus --sync "$panel"
xdotool key --clearmodifiers alt+e
wait_gone "$pid" || { echo "the program did not end after Alt+E" >&2; exit 1; }
layers=$(find "$PF/settings" -name '*.bmp' | wc -l)
icons=$(find "$PF/settings" -name '*.ico' | wc -l)
echo "   caches: $layers layer files, $icons icon files"
[ "$layers" -eq 48 ] || { echo "expected 48 layer files" >&2; exit 1; }
mkdir -p "$WORK/caches"
cp "$PF"/settings/*.bmp "$PF"/settings/*.ico "$WORK/caches/"
SUM_BEFORE=$(cd "$PF" && md5sum tessara.ini tswin.ini settings/* | md5sum)

# One measured start; prints the reported milliseconds.
measure() {
  rm -f "$WORK/ms.txt"
  (cd "$PF" && wine "$@" "/startup-probe:Z:${WORK//\//\\}\\ms.txt" </dev/null >/dev/null 2>&1) ||
    { echo "run failed: $*" >&2; return 1; }
  [ -s "$WORK/ms.txt" ] || { echo "no figure from: $*" >&2; return 1; }
  tr -d '\r\n' <"$WORK/ms.txt"
}

median() { sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

restore_caches() { cp "$WORK"/caches/* "$PF/settings/"; }
delete_caches() { rm -f "$PF"/settings/*.ico "$PF"/settings/*.bmp; }

# Runs alternate between the three cases so drifts of the machine touch each alike.
A=() B=() C=()
measure ./tessara_floor.exe "${GEOMETRY[@]}" >/dev/null  # warms the file cache
for r in $(seq 1 "$RUNS"); do
  restore_caches
  A+=("$(measure ./tessara.exe)")
  delete_caches
  B+=("$(measure ./tessara.exe)")
  C+=("$(measure ./tessara_floor.exe "${GEOMETRY[@]}")")
  echo "   run $r: intact ${A[-1]} ms, no caches ${B[-1]} ms, floor ${C[-1]} ms"
done
restore_caches
SUM_AFTER=$(cd "$PF" && md5sum tessara.ini tswin.ini settings/* | md5sum)
[ "$SUM_BEFORE" = "$SUM_AFTER" ] || { echo "a measured start changed the program's files" >&2; exit 1; }

a=$(printf '%s\n' "${A[@]}" | median)
b=$(printf '%s\n' "${B[@]}" | median)
c=$(printf '%s\n' "${C[@]}" | median)
echo "== medians over $RUNS starts (ms from process creation to the last window painted)"
printf '(a) intact caches:     %8.1f ms\n' "$a"
printf '(b) no caches:         %8.1f ms\n' "$b"
printf '(c) floor:             %8.1f ms\n' "$c"
awk -v a="$a" -v c="$c" 'BEGIN {
  r = a / c
  printf "ratio (a)/(c):         %8.2f  (goal at most 1.50: %s)\n", r, (r <= 1.5) ? "met" : "NOT met"
}'

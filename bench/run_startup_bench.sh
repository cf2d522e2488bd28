#!/usr/bin/env bash
# Start-up benchmark under Wine with a warm server. Sixteen windows of 8 x 8 tiles (1024
# tiles; plain, picture and transparent looks) start (a) from intact caches and (b) with
# every icon and layer cache deleted; (c) is the floor, a minimal program putting sixteen
# painted popups of the same sizes on the screen; (d) starts from intact caches and then
# runs "&Redraw" on all sixteen windows; (e) and (f) are (b) and (a) for the same windows
# whose 1,024 tiles each show an icon of their own (1,024 distinct icon files), as a user's
# tiles do. Each figure is the median over BENCH_RUNS starts
# (default 9) of what the program itself reports: the milliseconds from process creation
# to the last window painted, its private memory (resident anonymous memory under Wine)
# and the time it spent in each phase of the start. The cases alternate, so a machine
# busy with other work slows each of them alike; the ratios are the figures to read.
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
PF="$WORK/program"  # tiles of the system's files
OWN="$WORK/own"     # tiles with icons of their own
for folder in "$PF" "$OWN"; do
  mkdir -p "$folder"
  cp "$TESSARA_BIN/tessara.exe" "$TESSARA_BIN/TESSARA.DLL" "$TESSARA_BIN/tessara_floor.exe" "$folder/"
done
python3 "$ROOT/bench/startup/make_folder.py" "$PF" "$WINEPREFIX"
python3 "$ROOT/bench/startup/make_folder.py" --own-icons "$OWN" "$WINEPREFIX"
read -r -a GEOMETRY <"$PF/floor-geometry.txt"

wait_gone() {  # waits for the process $1 to end, up to 60 s
  local i
  for i in $(seq 1 600); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# First start in the folder $1: the program composes every window and writes its caches at
# exit, which are kept in $1/caches.
write_caches() {
  local folder=$1 pid panel i shown expected layers icons
  echo "== first start in $(basename "$folder"), writing the caches"
  (cd "$folder" && exec wine ./tessara.exe </dev/null >/dev/null 2>&1) &
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
  (cd "$folder" && timeout 30 wine ./tessara.exe </dev/null >/dev/null 2>&1) || { echo "second start failed" >&2; exit 1; }
  for i in $(seq 1 100); do
    eval "$(xdotool getwindowgeometry --shell "$panel")"
    [ "$X" -lt 1280 ] && break
    sleep 0.1
  done
  xdotool windowfocus --sync "$panel"
  xdotool key --clearmodifiers alt+e
  wait_gone "$pid" || { echo "the program did not end after Alt+E" >&2; exit 1; }
  layers=$(find "$folder/settings" -name '*.bmp' | wc -l)
  icons=$(find "$folder/settings" -name '*.ico' | wc -l)
  echo "   caches: $layers layer files, $icons icon files"
  [ "$layers" -eq 48 ] || { echo "expected 48 layer files" >&2; exit 1; }
  mkdir -p "$folder/caches"
  cp "$folder"/settings/*.bmp "$folder"/settings/*.ico "$folder/caches/"
}
write_caches "$PF"
write_caches "$OWN"
# Sums of what a start may not change: the settings, the tiles and the caches of each folder.
sums() { for folder in "$PF" "$OWN"; do (cd "$folder" && md5sum tessara.ini tswin.ini settings/*); done | md5sum; }
SUM_BEFORE=$(sums)

# One measured start in the folder $1; keeps the report's lines in $WORK/last.txt and
# prints the milliseconds.
measure() {
  local folder=$1
  shift
  rm -f "$WORK/ms.txt"
  (cd "$folder" && wine "$@" "/startup-probe:Z:${WORK//\//\\}\\ms.txt" </dev/null >/dev/null 2>&1) ||
    { echo "run failed: $*" >&2; return 1; }
  [ -s "$WORK/ms.txt" ] || { echo "no figure from: $*" >&2; return 1; }
  tr -d '\r' <"$WORK/ms.txt" >"$WORK/last.txt"
  head -n 1 "$WORK/last.txt"
}

# Appends the figures of the last start to the case's file: "name=value" lines.
keep() {
  { echo "start=$1"; tail -n +2 "$WORK/last.txt"; } >>"$WORK/case-$2.txt"
}

median() { sort -g | awk '{v[NR]=$1} END {if (NR == 0) print "nan"; else print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
# The median of one figure of a case.
fig() { grep -F "$2=" "$WORK/case-$1.txt" | sed 's/^[^=]*=//' | median; }

restore_caches() { cp "$1"/caches/* "$1/settings/"; }
delete_caches() { rm -f "$1"/settings/*.ico "$1"/settings/*.bmp; }

# Runs alternate between the cases so drifts of the machine touch each alike.
rm -f "$WORK"/case-*.txt
measure "$PF" ./tessara_floor.exe "${GEOMETRY[@]}" >/dev/null  # warms the file cache
for r in $(seq 1 "$RUNS"); do
  restore_caches "$PF"
  a=$(measure "$PF" ./tessara.exe) && keep "$a" a
  delete_caches "$PF"
  b=$(measure "$PF" ./tessara.exe) && keep "$b" b
  c=$(measure "$PF" ./tessara_floor.exe "${GEOMETRY[@]}") && keep "$c" c
  restore_caches "$PF"
  d=$(measure "$PF" ./tessara.exe /probe-redraw) && keep "$d" d
  delete_caches "$OWN"
  e=$(measure "$OWN" ./tessara.exe) && keep "$e" e
  restore_caches "$OWN"
  f=$(measure "$OWN" ./tessara.exe) && keep "$f" f
  echo "   run $r: intact $a ms, no caches $b ms, floor $c ms, intact and redrawn $d ms;" \
    "own icons: no caches $e ms, intact $f ms"
done
restore_caches "$PF"
restore_caches "$OWN"
SUM_AFTER=$(sums)
[ "$SUM_BEFORE" = "$SUM_AFTER" ] || { echo "a measured start changed the program's files" >&2; exit 1; }

a=$(fig a start) b=$(fig b start) c=$(fig c start) d=$(fig d start) e=$(fig e start) f=$(fig f start)
ma=$(fig a "private memory KB") mb=$(fig b "private memory KB") mc=$(fig c "private memory KB")
md=$(fig d "private memory KB") me=$(fig e "private memory KB") mf=$(fig f "private memory KB")
echo "== medians over $RUNS starts (ms from process creation to the last window painted)"
printf '(a) intact caches:     %8.1f ms\n' "$a"
printf '(b) no caches:         %8.1f ms\n' "$b"
printf '(c) floor:             %8.1f ms\n' "$c"
printf '(d) intact + redraw:   %8.1f ms\n' "$d"
printf '(e) own icons, none:   %8.1f ms\n' "$e"
printf '(f) own icons, intact: %8.1f ms\n' "$f"
# A goal line: label, value, limit, unit.
goal() {
  awk -v l="$1" -v v="$2" -v g="$3" -v u="$4" 'BEGIN {
    printf "%-34s %8.2f%s (goal at most %s%s: %s)\n", l, v, u, g, u, (v <= g) ? "met" : "NOT met"
  }'
}
ratio() { awk -v x="$1" -v y="$2" 'BEGIN {print x / y}'; }
goal "ratio (a)/(c), intact caches:" "$(ratio "$a" "$c")" 1.15 ""
goal "ratio (b)/(c), every cache deleted:" "$(ratio "$b" "$c")" 2 ""
goal "ratio (e)/(c), own icons, none:" "$(ratio "$e" "$c")" 2 ""
goal "ratio (f)/(c), own icons, intact:" "$(ratio "$f" "$c")" 1.15 ""
goal "drawing icons (b), 3,072 draws:" "$(fig b "drawing icons")" 25 " ms"
goal "drawing icons (e), 3,072 draws:" "$(fig e "drawing icons")" 25 " ms"
echo "== private memory at the end of the start, medians (floor: $(awk -v m="$mc" 'BEGIN {printf "%.1f", m / 1024}') MB)"
mb_over() { awk -v x="$1" -v y="$mc" 'BEGIN {print (x - y) / 1024}'; }
printf '%-34s %8.2f MB\n' "(a) - (c), intact caches:" "$(mb_over "$ma")"
goal "(b) - (c), composed at start:" "$(mb_over "$mb")" 15 " MB"
goal "(d) - (c), all sixteen redrawn:" "$(mb_over "$md")" 15 " MB"
goal "(e) - (c), own icons, composed:" "$(mb_over "$me")" 15 " MB"
printf '%-34s %8.2f MB\n' "(f) - (c), own icons, intact:" "$(mb_over "$mf")"
echo "== phases, medians in ms (they nest: composing holds the captures, icons and passes)"
printf '%-24s %10s %10s %10s %10s %10s %10s\n' "" "(a)" "(b)" "(c)" "(d)" "(e)" "(f)"
grep -hv '^start=' "$WORK/case-b.txt" "$WORK/case-d.txt" | sed 's/=.*//' | awk '!seen[$0]++' | grep -v '^private memory' |
  while IFS= read -r name; do
    printf '%-24s %10.1f %10.1f %10.1f %10.1f %10.1f %10.1f\n' "$name" "$(fig a "$name")" "$(fig b "$name")" \
      "$(fig c "$name")" "$(fig d "$name")" "$(fig e "$name")" "$(fig f "$name")"
  done

#!/usr/bin/env bash
# Soak check: drives a number of pointer and keyboard actions (default 10000) on the real
# tessara.exe with one window of 8 x 8 tiles, under its own Xvfb and Wine prefix, and prints
# the process's GDI objects, handles and memory at start, after a warm-up and at the end.
# Actions: hovering cells, presses released outside the window, clicks that launch a harmless
# helper (launch_probe.exe, which ends at once), tile drags, arrow keys, Enter on empty cells,
# and copy (menu key), paste (right-click menu) and cut (Delete). Not part of CI: it takes minutes.
#   scripts/soak.sh [actions]      (build first: cmake --build --preset windows)
# The script keeps a model of which cells hold tiles and checks it against the window after
# every batch (the cells' pixels, the helper's launch log, no message box open) and at the end
# against the saved tile data file; any difference stops the run with a non-zero status.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
ACTIONS="${1:-10000}"
BIN="$BUILD/windows/bin"
for f in tessara.exe TESSARA.DLL launch_probe.exe process_probe.exe; do
  [ -f "$BIN/$f" ] || { echo "missing $BIN/$f: build the windows preset first" >&2; exit 1; }
done

PF=$(mktemp -d /tmp/tessara-soak.XXXXXX)
TESSARA_PID=
cleanup() {
  [ -n "$TESSARA_PID" ] && kill "$TESSARA_PID" 2>/dev/null
  stop_wine
  stop_xvfb
  rm -rf "$PF"
}
trap cleanup EXIT
start_xvfb
export WINEPREFIX="$BUILD/wine-soak"
prepare_wine

cp "$BIN/tessara.exe" "$BIN/TESSARA.DLL" "$BIN/launch_probe.exe" "$BIN/process_probe.exe" "$PF/"
mkdir -p "$PF/settings"
PROBE_WIN="Z:$(echo "$PF/launch_probe.exe" | tr / '\\')"
# 60 tiles that start the helper; column 8, rows 5 to 8 are left empty for pastes.
python3 - "$PF/settings/tessara1.dat" "$PROBE_WIN" <<'PY'
import struct, sys
def field(text, cap):
    data = text.encode("latin-1")[:cap]
    return bytes([len(data)]) + data + b"\0" * (cap - len(data))
out = b""
for col in range(1, 9):
    for row in range(1, 9):
        if col == 8 and row >= 5: continue
        out += struct.pack("<ii", col, row) + field(sys.argv[2], 255) + field("Tile %d,%d" % (col, row), 40)
        out += field("", 255) + field("C:\\windows\\notepad.exe", 255) + struct.pack("<HBB", 1, 0, 0)
open(sys.argv[1], "wb").write(out)
PY
# An opaque window of 8 x 8 tiles of 40 pixels at (100, 100), no border, no spacing.
printf '[1\\Integers]\r\nLeft=100\r\nTop=100\r\nCols=8\r\nRows=8\r\nTileWidth=40\r\nTileHeight=40\r\n' >"$PF/tswin.ini"
printf 'CellSpacing=0\r\nBorderType=0\r\nBorderSpacing=0\r\nBackType=0\r\nColor=8421504\r\nOpacity=0\r\nEffect=0\r\n\r\n' >>"$PF/tswin.ini"
printf '[Integers]\r\ntsCount=1\r\n' >"$PF/tessara.ini"
export TESSARA_PROBE_LOG="$(echo "$PF/probe.log" | sed 's|^|Z:|' | tr / '\\')"

(cd "$PF" && exec wine ./tessara.exe </dev/null >/dev/null 2>&1) &
TESSARA_PID=$!
for i in $(seq 1 300); do
  xdotool search --onlyvisible --name '^ts$' >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --onlyvisible --name '^ts$' >/dev/null || { echo "the window did not show" >&2; exit 1; }

figures() {
  local probe rss
  probe=$(cd "$PF" && wine ./process_probe.exe tessara.exe </dev/null 2>/dev/null | tr -d '\r')
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$TESSARA_PID/status" 2>/dev/null || echo "?")
  printf '%-6s %s vm_rss_kb=%s  %s\n' "$1" "$probe" "$rss" "${2:-}"
}

# The actions, generated with a model of the grid so that a paste always lands on an empty
# cell and keys start from a lit tile. Each xdotool line is one command chain of many actions;
# after each chain a "#check" line carries what the window must show by then.
# Menus: the menu key opens the menu at the lit cell's centre, where the pointer already is,
# so it lies below and right of the pointer. A menu opened over a resting pointer (the keys
# having walked away from it) is painted and tracked late under Wine and the keys sent to it
# go astray, so paste opens its menu with a right click on the target cell itself.
generate() {
  python3 - "$1" "$2" <<'PY'
import random, sys
warm, count = int(sys.argv[1]), int(sys.argv[2])
rnd = random.Random(1)
ALL = {(c, r) for c in range(1, 9) for r in range(1, 9)}
tiles = ALL - {(8, r) for r in range(5, 9)}
clip = False
launches = 0
def centre(c, r): return 100 + 40 * (c - 1) + 20, 100 + 40 * (r - 1) + 20
# Two steps: a pointer already resting on the spot (a drag may have ended there) gets no
# motion, so the cell would not light and the keys would act on the old focus cell.
def move(c, r, dx=0):
    x, y = centre(c, r)
    return ["mousemove", str(x + dx + (3 if dx <= 0 else -3)), str(y + 3), "mousemove", str(x + dx), str(y)]
def a_tile(): return rnd.choice(sorted(tiles))
def empty(): return sorted(ALL - tiles)
def walk(src, dst):
    keys = []
    c, r = src
    while c != dst[0]: keys.append("Right" if dst[0] > c else "Left"); c += 1 if dst[0] > c else -1
    while r != dst[1]: keys.append("Down" if dst[1] > r else "Up"); r += 1 if dst[1] > r else -1
    return keys
def grid(): return "".join("#" if (c, r) in tiles else "." for r in range(1, 9) for c in range(1, 9))
done, batch, kinds, measured = 0, [], {}, False
def flush():
    global batch
    if batch:
        print(" ".join(batch)); batch = []
        print("#check launches=%d grid=%s done=%d" % (launches, grid(), done))
def emit(kind, words, n=1):
    global done
    batch.extend(words); done += n; kinds[kind] = kinds.get(kind, 0) + n
def paste(target):
    # "Icon &Paste" is the fifth item down (the separator is skipped; "&P" is also the
    # mnemonic of "Icon &Properties...", so no letter reaches it).
    emit("paste", move(*target) + ["click", "3", "sleep", "0.05", "key", "Down", "Down", "Down", "Down", "Down",
                                   "Return", "sleep", "0.05"])
    tiles.add(target)
while done < warm + count:
    if done >= warm and not measured:
        flush()
        # The figures after the warm-up; the counts of the measured part start here.
        print("#measure tiles=%d" % len(tiles)); kinds = {}; measured = True; warm_tiles = len(tiles)
    roll = rnd.random()
    if roll < 0.40:                                   # hover
        emit("hover", move(rnd.randint(1, 8), rnd.randint(1, 8), rnd.randint(-15, 15)))
    elif roll < 0.50:                                 # press, released outside: nothing starts
        emit("press", move(*a_tile()) + ["mousedown", "1", "mousemove", "700", "700", "mouseup", "1"])
    elif roll < 0.51:                                 # click: the helper starts
        emit("launch", move(*a_tile()) + ["click", "1", "sleep", "0.1"])
        launches += 1
    elif roll < 0.59:                                 # drag a tile onto another cell
        a, b = a_tile(), (rnd.randint(1, 8), rnd.randint(1, 8))
        if a == b: continue
        (xa, ya), (xb, yb) = centre(*a), centre(*b)
        emit("drag", ["mousemove", str(xa), str(ya), "mousedown", "1",
                      "mousemove", str((xa + xb) // 2), str((ya + yb) // 2 + 1),
                      "mousemove", str(xb), str(yb), "mouseup", "1"])
        if b not in tiles: tiles.discard(a); tiles.add(b)   # onto a tile: a swap
    elif roll < 0.85:                                 # arrow keys from a lit tile
        keys = [rnd.choice(["Left", "Right", "Up", "Down"]) for _ in range(rnd.randint(1, 4))]
        emit("key", move(*a_tile()) + ["key"] + keys, len(keys))
    elif roll < 0.87:                                 # Enter on an empty cell starts nothing
        if not empty(): continue
        start, target = a_tile(), rnd.choice(empty())
        emit("enter", move(*start) + ["key"] + walk(start, target) + ["Return"])
    elif roll < 0.91:                                 # copy through the menu key ("Icon C&opy")
        emit("copy", move(*a_tile()) + ["key", "Menu", "sleep", "0.05", "key", "o", "sleep", "0.05"])
        clip = True
    elif roll < 0.95:                                 # paste on an empty cell
        if not clip or len(tiles) >= 60: continue
        paste(rnd.choice(empty()))
    else:                                             # Delete cuts a tile, keeping 50 or more
        if len(tiles) <= 50: continue
        t = a_tile(); tiles.discard(t); clip = True
        emit("cut", move(*t) + ["key", "Delete", "sleep", "0.05"])
    if len(batch) > 300: flush()
# The grid ends with as many tiles as at the warm-up's end, so that the figures compare the
# same number of icons.
while len(tiles) != warm_tiles:
    if len(tiles) < warm_tiles:
        paste(rnd.choice(empty()))
    else:
        t = a_tile(); tiles.discard(t)
        emit("cut", move(*t) + ["key", "Delete", "sleep", "0.05"])
flush()
print("#end tiles=%d launches=%d grid=%s %s" % (len(tiles), launches, grid(),
      " ".join("%s=%d" % kv for kv in sorted(kinds.items()))))
PY
}

# The cells that show a tile, read from the window's pixels: a cell's inner square holds an
# icon (many colours) or only the background and at most a frame's few shades.
screen_grid() {
  xwd -root -silent | convert xwd:- -crop 320x320+100+100 rgb:- | python3 -c '
import sys
raw = sys.stdin.buffer.read()
def cell(c, r):
    seen = set()
    for y in range(40 * r + 8, 40 * r + 32):
        row = raw[3 * (320 * y + 40 * c + 8): 3 * (320 * y + 40 * c + 32)]
        seen.update(row[i:i + 3] for i in range(0, len(row), 3))
    return "#" if len(seen) > 3 else "."
print("".join(cell(c, r) for r in range(8) for c in range(8)))'
}

# The cells that hold a tile in the saved tile data file (records of 821 bytes: column, row,
# then the file name as a length-prefixed field).
file_grid() {
  python3 - "$PF/settings/tessara1.dat" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
cells = set()
for at in range(0, len(data) - len(data) % 821, 821):
    col, row = struct.unpack_from("<ii", data, at)
    if data[at + 8] > 0: cells.add((col, row))
print("".join("#" if (c, r) in cells else "." for r in range(1, 9) for c in range(1, 9)))
PY
}

launches_logged() { if [ -f "$PF/probe.log" ]; then wc -l <"$PF/probe.log"; else echo 0; fi; }
# Message boxes carry the program's title with a blank ("Tessara v..."), the panel has none.
message_boxes() { xdotool search --onlyvisible --name '^Tessara v' 2>/dev/null | wc -l; }

fail() {
  echo "FAILED after $DONE actions: $*" >&2
  figures "fail"
  exit 1
}

# The window against the model: no message box, every planned launch logged, the grid's
# cells as planned. Launches and paints may lag a little, so each is given a short while.
check() {
  local want_launches=$1 want_grid=$2 got i
  [ "$(message_boxes)" -eq 0 ] && [ -n "$(xdotool search --onlyvisible --name '^ts$' 2>/dev/null)" ] \
    || fail "a message box is open, or the window is gone"
  for i in $(seq 1 30); do
    got=$(launches_logged)
    [ "$got" -ge "$want_launches" ] && break
    sleep 0.1
  done
  [ "$got" -eq "$want_launches" ] || fail "launches planned $want_launches, logged $got"
  # The pointer leaves the window so that neither a hint nor the hover light covers a cell.
  xdotool mousemove 700 700
  for i in $(seq 1 10); do
    got=$(screen_grid)
    [ "$got" = "$want_grid" ] && return 0
    sleep 0.2
  done
  fail "the window's cells differ from the model
  model:  $want_grid
  window: $got"
}

# Windows shown at start take input once the pointer has moved inside them; a click on an
# empty cell gives the window the focus without starting anything.
xdotool mousemove --sync 300 300 mousemove --sync 105 105
xdotool mousemove 400 340 click 1
sleep 0.5
figures start
WARM=300
DONE=0
CHECKS=0
t0=$(date +%s)
tstart=$t0
while IFS= read -r line; do
  case "$line" in
    "#check"*)
      read -r _ l g d <<<"$line"
      DONE=${d#done=}
      check "${l#launches=}" "${g#grid=}"
      CHECKS=$((CHECKS + 1)) ;;
    "#measure"*)
      sleep 1
      figures "warm" "${line#\#measure }"
      t0=$(date +%s) ;;
    "#end"*)
      sleep 1
      t1=$(date +%s)
      figures "end" "${line#\#end }"
      END_LINE=$line ;;
    *)
      # shellcheck disable=SC2086
      xdotool $line ;;
  esac
done < <(generate "$WARM" "$ACTIONS")
[ -n "${END_LINE:-}" ] || fail "the action list ended early"
want_launches=$(sed 's/.* launches=\([0-9]*\).*/\1/' <<<"$END_LINE")
want_grid=$(sed 's/.* grid=\([^ ]*\).*/\1/' <<<"$END_LINE")

# The tile data file must hold the same cells: "&Save Settings..." is the fourth item up
# from the menu's end (Exit, Control Panel, Repair, Save); "&S" is shared with "&Select".
before=$(stat -c %Y.%s "$PF/settings/tessara1.dat" 2>/dev/null || echo none)
sleep 1.1
xdotool mousemove 380 340 click 3 sleep 0.05 key Up Up Up Up Return
for i in $(seq 1 50); do
  [ "$(stat -c %Y.%s "$PF/settings/tessara1.dat" 2>/dev/null || echo none)" != "$before" ] && break
  sleep 0.1
done
sleep 0.5
saved=$(file_grid)
[ "$saved" = "$want_grid" ] || fail "the saved tiles differ from the model
  model: $want_grid
  file:  $saved"
[ "$(message_boxes)" -eq 0 ] || fail "a message box is open at the end"
kill -0 "$TESSARA_PID" 2>/dev/null || fail "the program ended"
echo "measured: $ACTIONS actions (and the few that restore the tile count) in $((t1 - t0)) s after $WARM of warm-up; $((t1 - tstart)) s in all"
echo "checks passed: $CHECKS (window cells, launches, message boxes), then the saved tile file"
echo "launches planned $want_launches, logged $(launches_logged)"
echo "model mismatches: 0; message boxes: 0; tessaras shown: $(xdotool search --onlyvisible --name '^ts$' 2>/dev/null | wc -l)"
echo "the program is still running"

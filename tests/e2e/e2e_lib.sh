# Helpers for the end-to-end checks: the real tessara.exe in a fresh program folder under
# Wine, driven from outside with xdotool. DISPLAY and WINEPREFIX come from the caller.
# shellcheck shell=bash
set -euo pipefail

E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BIN="${TESSARA_BIN:-$E2E_ROOT/build/windows/bin}"
export WINEDEBUG="${WINEDEBUG:--all}"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A fresh program folder holding the program and its icon library; removed at exit.
new_program_folder() {
  PF=$(mktemp -d /tmp/tessara-e2e.XXXXXX)
  cp "$BIN/tessara.exe" "$BIN/TESSARA.DLL" "$PF/"
  trap 'stop_tessara; rm -rf "$PF"' EXIT
}

start_tessara() {
  (cd "$PF" && exec wine ./tessara.exe </dev/null >/dev/null 2>&1) &
  TESSARA_PID=$!
}

stop_tessara() {
  [ -n "${TESSARA_PID:-}" ] && kill "$TESSARA_PID" 2>/dev/null
  wineserver -k 2>/dev/null || true
  TESSARA_PID=
}

# Waits (up to $1 seconds, default 20) until the wine process of the program has ended.
wait_exit() {
  local limit=$(( ${1:-20} * 10 )) i
  for i in $(seq 1 "$limit"); do
    kill -0 "$TESSARA_PID" 2>/dev/null || { TESSARA_PID=; return 0; }
    sleep 0.1
  done
  return 1
}

# The X window of the control panel, once it is shown.
panel_window() {
  timeout 30 xdotool search --sync --onlyvisible --name '^Tessarav1\.99\.0\.3 beta$' | head -n 1
}

# Visible tessaras (window text "ts").
count_tessaras() {
  xdotool search --onlyvisible --name '^ts$' 2>/dev/null | wc -l
}

# Waits until $1 tessaras are visible (up to 30 s).
wait_tessaras() {
  local i
  for i in $(seq 1 300); do
    [ "$(count_tessaras)" -eq "$1" ] && return 0
    sleep 0.1
  done
  fail "expected $1 tessaras, saw $(count_tessaras)"
}

# Value of key $2 in file $1 (INI), with the CR of Windows line ends removed.
ini_value() {
  tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -n 1
}

expect_eq() {
  [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"
}

# Presses a key combination in the control panel.
panel_key() {
  local w
  w=$(panel_window)
  xdotool windowfocus --sync "$w"
  xdotool key --clearmodifiers "$1"
}

# Tile data file $1: one 821-byte record per "col,row,file,description[,start in]" argument,
# each tile's icon the first of its file.
write_tiles() {
  python3 - "$@" <<'PY'
import struct, sys
def field(text, cap):
    data = text.encode("latin-1")[:cap]
    return bytes([len(data)]) + data + b"\0" * (cap - len(data))
out = b""
for tile in sys.argv[2:]:
    col, row, name, desc, *start = tile.split(",")
    start = start[0] if start else ""
    out += struct.pack("<ii", int(col), int(row)) + field(name, 255) + field(desc, 40) + field(start, 255)
    out += field(name, 255) + struct.pack("<HBB", 1, 0, 0)
open(sys.argv[1], "wb").write(out)
PY
}

# Brings the parked control panel on screen as a user does, through a second start.
show_panel() {
  (cd "$PF" && timeout 30 wine ./tessara.exe </dev/null >/dev/null 2>&1) || fail "second start failed"
  local w i
  w=$(panel_window)
  for i in $(seq 1 100); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$X" -lt 1280 ] && return 0
    sleep 0.1
  done
  fail "the control panel did not come on screen"
}

# Exits and saves as a user does: the panel on screen, then Alt+E.
exit_through_panel() {
  show_panel
  panel_key alt+e
  wait_exit || fail "the program did not end after Alt+E"
}

# The pid of the program itself (the wine command becomes it).
program_pid() {
  if grep -qa 'tessara.exe' "/proc/$TESSARA_PID/cmdline" 2>/dev/null; then echo "$TESSARA_PID"; return; fi
  ps -o pid= --ppid "$TESSARA_PID" | head -n 1 | xargs
}

# Pixels of cell (2,1) of a window of 36-pixel cells without border, in layer file $1, that
# differ from the background grey 808080.
cell_marks() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
off, = struct.unpack_from("<I", data, 10)
w, h = struct.unpack_from("<ii", data, 18)
stride = (3 * w + 3) & ~3
marks = 0
for y in range(36):
    row = off + (h - 1 - y) * stride
    for x in range(36, 72):
        if data[row + 3 * x:row + 3 * x + 3] != b"\x80\x80\x80":
            marks += 1
print(marks)
PY
}

# For the drop checks: the X drag source built as $DROP, one plain grey window of two 36-pixel
# cells without frame (cell (2,1) is x 36..71 of the window) and a document to drop,
# $PF/docs/notes.txt.
drop_setup() {
  DROP="$PF/xdnd_drop"
  cc -O1 -o "$DROP" "$E2E_ROOT/tests/e2e/xdnd_drop.c" -lX11 || fail "cannot build the drag source"
  printf '[1\\Integers]\r\nLeft=200\r\nTop=200\r\nCols=2\r\nRows=1\r\nTileWidth=36\r\nTileHeight=36\r\n' >"$PF/tswin.ini"
  printf 'CellSpacing=0\r\nBorderType=0\r\nBorderSpacing=0\r\nBackType=0\r\nColor=8421504\r\nOpacity=0\r\nEffect=0\r\n' >>"$PF/tswin.ini"
  printf '[Integers]\r\ntsCount=1\r\n' >"$PF/tessara.ini"
  mkdir -p "$PF/docs"
  echo "dropped" >"$PF/docs/notes.txt"
}

#!/usr/bin/env bash
# Tiles dragged with the pointer on the real program: one dropped onto another swaps with
# it, one dropped onto an empty cell moves there. After exit the tile data file holds the
# new places, the layer files show the icons there, and the next start shows them too.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder

# The places in a tile data file, in file order: "col,row,description ...".
places() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
out = []
for i in range(0, len(data) - len(data) % 821, 821):
    col, row = struct.unpack_from("<ii", data, i)
    n = data[i + 264]
    out.append("%d,%d,%s" % (col, row, data[i + 265:i + 265 + n].decode("latin-1")))
print(" ".join(out))
PY
}
mkdir -p "$PF/settings"
write_tiles "$PF/settings/tessara1.dat" '1,1,C:\windows\notepad.exe,Notes' '2,1,C:\windows\regedit.exe,Registry'
# An opaque grey window of 3 x 2 tiles of 40 pixels, no border, no spacing, at (100, 100).
printf '[1\\Integers]\r\nLeft=100\r\nTop=100\r\nCols=3\r\nRows=2\r\nTileWidth=40\r\nTileHeight=40\r\n' >"$PF/tswin.ini"
printf 'CellSpacing=0\r\nBorderType=0\r\nBorderSpacing=0\r\nBackType=0\r\nColor=8421504\r\nOpacity=0\r\nEffect=0\r\n\r\n' >>"$PF/tswin.ini"
printf '[Integers]\r\ntsCount=1\r\n' >"$PF/tessara.ini"

centre() { echo "$((100 + 40 * ($1 - 1) + 20)) $((100 + 40 * ($2 - 1) + 20))"; }
# Presses on cell ($1,$2), moves in steps to cell ($3,$4) and releases there.
drag_tile() {
  local x0 y0 x1 y1 i
  read -r x0 y0 < <(centre "$1" "$2")
  read -r x1 y1 < <(centre "$3" "$4")
  xdotool mousemove --sync $((x0 - 3)) "$y0"
  xdotool mousemove --sync "$x0" "$y0"
  xdotool mousedown 1
  for i in 1 2 3 4; do
    xdotool mousemove --sync $((x0 + (x1 - x0) * i / 4)) $((y0 + (y1 - y0) * i / 4 + 1))
  done
  xdotool mousemove --sync "$x1" "$y1"
  xdotool mouseup 1
  sleep 0.3
}

start_tessara
wait_tessaras 1
# Windows shown at start take input only once the pointer has moved inside them.
xdotool mousemove --sync 300 300
xdotool mousemove --sync 105 105
drag_tile 1 1 2 1   # Notes onto Registry: they swap
drag_tile 1 1 3 2   # Registry (now at 1,1) onto the empty bottom-right cell
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^ts$' | head -n 1)")"
expect_eq "$X,$Y" "100,100" "window place after dragging tiles"

exit_through_panel

expect_eq "$(places "$PF/settings/tessara1.dat")" "2,1,Notes 3,2,Registry" "tile places after exit"

# The normal layer file (bottom-up rows): cell (1,1) is plain grey, cells (2,1) and (3,2)
# hold an icon, whose pixels differ from the grey.
layer_check() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
off = struct.unpack_from("<I", data, 10)[0]
w, h = struct.unpack_from("<ii", data, 18)
stride = (3 * w + 3) & ~3
def px(x, y):
    i = off + (h - 1 - y) * stride + 3 * x
    return tuple(data[i:i + 3])
def cell_plain(c, r):
    return all(px(40 * (c - 1) + x, 40 * (r - 1) + y) == (128, 128, 128) for x in range(40) for y in range(40))
print(" ".join("%d,%d:%s" % (c, r, "plain" if cell_plain(c, r) else "icon") for c, r in ((1, 1), (2, 1), (3, 2))))
PY
}
expect_eq "$(layer_check "$PF/settings/tessara1_0.bmp")" "1,1:plain 2,1:icon 3,2:icon" "normal layer after exit"

# The next start shows the tiles at their new places.
start_tessara
wait_tessaras 1
sleep 0.5
xwd -root -silent | convert xwd:- -crop 120x80+100+100 +repage -type TrueColor bmp3:"$PF/shot.bmp"
expect_eq "$(layer_check "$PF/shot.bmp")" "1,1:plain 2,1:icon 3,2:icon" "window after restart"
echo "ok"

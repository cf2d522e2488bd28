#!/usr/bin/env bash
# Makes the README's picture, docs/screenshot.png, from the real program under Wine on a
# private X server: a tessara with a few tiles of Wine's own programs and the control panel.
# Needs the Windows build (scripts/run.sh or scripts/test.sh first).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"
ensure_packages

BIN="$BUILD/windows/bin"
[ -f "$BIN/tessara.exe" ] || { echo "Build the Windows program first (scripts/run.sh)" >&2; exit 1; }
WORK=$(mktemp -d)
start_xvfb
export WINEPREFIX="$WORK/prefix"
trap 'stop_wine; stop_xvfb; rm -rf "$WORK"' EXIT
prepare_wine

PF="$WORK/Tessara"
mkdir -p "$PF/settings"
cp "$BIN/tessara.exe" "$BIN/TESSARA.DLL" "$PF/"
printf '[Integers]\r\ntsCount=1\r\nLastX=300\r\nLastY=60\r\n' >"$PF/tessara.ini"
printf '[1\\Integers]\r\nLeft=40\r\nTop=60\r\nCols=4\r\nRows=2\r\nTileWidth=44\r\nTileHeight=44\r\n' >"$PF/tswin.ini"
printf 'CellSpacing=2\r\nBorderType=3\r\nBorderSpacing=2\r\nBackType=0\r\nColor=10506797\r\n' >>"$PF/tswin.ini"
# Tile records: column, row, then the file, description, start-in and icon file fields.
python3 - "$PF/settings/tessara1.dat" <<'PY'
import struct, sys
def field(text, cap):
    data = text.encode("latin-1")
    return bytes([len(data)]) + data + b"\0" * (cap - len(data))
tiles = [(1, 1, r"C:\windows\notepad.exe", "Notepad"), (2, 1, r"C:\windows\regedit.exe", "Registry"),
         (3, 1, r"C:\windows\system32\cmd.exe", "Command"), (4, 1, r"C:\windows\system32\winecfg.exe", "Settings"),
         (1, 2, r"C:\windows\system32\taskmgr.exe", "Tasks"), (2, 2, r"C:\windows\system32\winemine.exe", "Mines")]
with open(sys.argv[1], "wb") as out:
    for col, row, name, desc in tiles:
        out.write(struct.pack("<ii", col, row) + field(name, 255) + field(desc, 40) + field("", 255)
                  + field(name, 255) + struct.pack("<HBB", 0, 0, 0))
PY

(cd "$PF" && wine ./tessara.exe </dev/null >/dev/null 2>&1 &)
xdotool search --sync --onlyvisible --name '^ts$' >/dev/null
# A second start brings the parked control panel on screen.
(cd "$PF" && wine ./tessara.exe </dev/null >/dev/null 2>&1)
panel=$(xdotool search --sync --onlyvisible --name '^Tessarav' | head -n 1)
until eval "$(xdotool getwindowgeometry --shell "$panel")"; [ "$X" -lt 1280 ]; do sleep 0.1; done
sleep 1  # let the panel's first paint finish
mkdir -p docs
xwd -root -silent | convert xwd:- -crop 630x380+30+50 +repage -strip docs/screenshot.png
echo "Wrote docs/screenshot.png"

#!/usr/bin/env bash
# A kill at any moment of the exit's save leaves every file the program reads whole and
# valid: the INI files keep all their keys, tile files their records, layer and icon files
# their stated sizes; leftovers are only temporary files under names the program never
# reads. The next start after each kill shows all the windows again.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder

N=4
ITERATIONS=15
DEADLINE=$((SECONDS + 50))
FILES=(C:\\windows\\notepad.exe C:\\windows\\regedit.exe C:\\windows\\system32\\winemine.exe
       C:\\windows\\system32\\taskmgr.exe C:\\windows\\system32\\cmd.exe)

mkdir -p "$PF/settings" "$PF/original"
python3 - "$PF/settings" "$N" "${FILES[@]}" <<'PY'
import struct, sys
folder, n, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
def field(text, cap):
    data = text.encode("latin-1")[:cap]
    return bytes([len(data)]) + data + b"\0" * (cap - len(data))
for w in range(1, n + 1):
    out = b""
    for col in range(1, 4):      # column outer, row inner, as the program writes
        for row in range(1, 4):
            if (col + row + w) % 3 == 0:
                continue
            name = files[(col * 3 + row + w) % len(files)]
            out += struct.pack("<ii", col, row) + field(name, 255) + field("tile %d" % row, 40)
            out += field("C:\\windows", 255) + field(name, 255) + struct.pack("<HBB", 1, 0, 0)
    open("%s/tessara%d.dat" % (folder, w), "wb").write(out)
PY
{
  for n in $(seq 1 "$N"); do
    printf '[%s\\Booleans]\r\nLetterShadow=0\r\n\r\n' "$n"
    printf '[%s\\Integers]\r\nLeft=%s\r\nTop=%s\r\nCols=3\r\nRows=3\r\nTileWidth=%s\r\nTileHeight=36\r\n' \
      "$n" $((60 + 250 * (n - 1))) $((100 + 40 * n)) $((32 + 4 * n))
    printf 'CellSpacing=%s\r\nColor=%s\r\nBorder=2\r\nBorderSpacing=%s\r\nBorderType=%s\r\n' \
      $((n % 3)) $((0x203040 * n)) $((n % 2)) $((n % 4))
    printf 'BackType=%s\r\nOpacity=50\r\nEffect=%s\r\n\r\n' $(( n % 2 == 0 ? 2 : 0 )) $((n % 5))
    printf '[%s\\Strings]\r\nBMPFilename=\r\n\r\n' "$n"
  done
} >"$PF/tswin.ini"
printf '[Booleans]\r\nSnapEdges=0\r\nStartup=0\r\n\r\n[Integers]\r\ntsCount=%s\r\nLastX=240\r\nLastY=240\r\nSnapDistance=8\r\n' \
  "$N" >"$PF/tessara.ini"
cp "$PF"/settings/*.dat "$PF/tessara.ini" "$PF/tswin.ini" "$PF/original/"

# Checks every file the program reads; prints what is wrong, or nothing.
check_files() {
  python3 - "$PF" "$N" <<'PY'
import os, re, struct, sys
pf, n = sys.argv[1], int(sys.argv[2])
errors = []

def ini(path):
    raw = open(path, "rb").read()
    if raw and not raw.endswith(b"\n"):
        errors.append("%s ends in the middle of a line" % path)
    sections, cur = {}, None
    for line in raw.decode("latin-1").replace("\r\n", "\n").split("\n"):
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            cur = sections.setdefault(line[1:-1], {})
        elif "=" in line and cur is not None:
            k, v = line.split("=", 1)
            cur[k] = v
        else:
            errors.append("%s: malformed line %r" % (path, line))
    return sections

for name in ("tessara.ini", "tswin.ini"):
    before = ini(os.path.join(pf, "original", name))
    now = ini(os.path.join(pf, name))
    for sec, keys in before.items():
        for k, v in keys.items():
            got = now.get(sec, {}).get(k)
            if got is None:
                errors.append("%s: [%s] %s is missing" % (name, sec, k))
            elif k in ("tsCount", "Left", "Top", "Cols", "Rows", "TileWidth", "BackType") and got != v:
                errors.append("%s: [%s] %s=%s, was %s" % (name, sec, k, got, v))

settings = os.path.join(pf, "settings")
known = re.compile(r"^tessara(\d+)(\.dat|_[0-2]\.bmp|_\d+_\d+\.ico)$")
temp = re.compile(r"^tessara\d+(\.dat|_[0-2]\.bmp|_\d+_\d+\.ico)\.tmp\d+$")
for f in sorted(os.listdir(settings)):
    path = os.path.join(settings, f)
    data = open(path, "rb").read()
    if temp.match(f):
        continue
    if not known.match(f):
        errors.append("unexpected file settings/%s" % f)
    elif f.endswith(".dat"):
        original = open(os.path.join(pf, "original", f), "rb").read()
        if len(data) % 821 or data != original:
            errors.append("%s: %d bytes, not the %d bytes of tile data written before" % (f, len(data), len(original)))
    elif f.endswith(".bmp"):
        ok = len(data) >= 54 and data[:2] == b"BM"
        if ok:
            size, = struct.unpack_from("<I", data, 2)
            w, h, planes, bits, comp = struct.unpack_from("<iiHHI", data, 18)
            stride = (3 * w + 3) // 4 * 4
            ok = size == len(data) and bits == 24 and comp == 0 and 54 + stride * abs(h) <= len(data)
        if not ok:
            errors.append("%s: %d bytes do not match its header" % (f, len(data)))
    else:
        ok = len(data) >= 6 and struct.unpack_from("<HHH", data, 0)[:2] == (0, 1)
        count = struct.unpack_from("<H", data, 4)[0] if ok else 0
        ok = ok and count >= 1 and len(data) >= 6 + 16 * count
        for i in range(count if ok else 0):
            size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
            ok = ok and offset + size <= len(data)
        if not ok:
            errors.append("%s: not a whole icon file (%d bytes)" % (f, len(data)))
for f in os.listdir(pf):
    if re.match(r"^(tessara|tswin)\.ini\.tmp\d+$", f) is None and f.endswith(tuple(".tmp%d" % d for d in range(10))):
        errors.append("unexpected file %s" % f)
print("\n".join(errors))
PY
}

# The pid of the program itself (the wine command becomes it).
program_pid() {
  if grep -qa 'tessara.exe' "/proc/$TESSARA_PID/cmdline" 2>/dev/null; then echo "$TESSARA_PID"; return; fi
  ps -o pid= --ppid "$TESSARA_PID" | head -n 1 | xargs
}

start_and_wait() {
  start_tessara
  # Killed on purpose: no job report for it.
  disown "$TESSARA_PID" 2>/dev/null || true
  wait_tessaras "$N"
  panel=$(timeout 30 xdotool search --sync --name '^Tessarav1\.99\.0\.3 beta$' | head -n 1)
  [ -n "$panel" ] || fail "the control panel did not appear"
  # The control panel starts parked; a second start brings it where it takes keys.
  (cd "$PF" && timeout 30 wine ./tessara.exe </dev/null >/dev/null 2>&1) || fail "second start failed"
  for i in $(seq 1 100); do
    eval "$(xdotool getwindowgeometry --shell "$panel")"
    [ "$X" -lt 1280 ] && return 0
    sleep 0.1
  done
  fail "the control panel did not come on screen"
}

# Two exits run to their end: the first writes the icon cache, the second times a save as
# every later one runs (key to first written file, key to the last, tessara.ini).
start_and_wait
panel_key alt+e
wait_exit 20 || fail "the program did not end after Alt+E"
problems=$(check_files)
[ -z "$problems" ] || fail "after a complete save: $problems"
start_and_wait
w=$(panel_window)
xdotool windowfocus --sync "$w"
t0=$(date +%s%N)
xdotool key --clearmodifiers alt+e
wait_exit 20 || fail "the program did not end after Alt+E"
read -r FIRST_MS LAST_MS < <(find "$PF" -type f -printf '%T@\n' | sort -g |
  awk -v t0="$t0" '{ ms = ($1 - t0 / 1e9) * 1000; if (ms > -1) { if (first == "") first = ms; last = ms } }
                   END { printf "%d %d\n", first, last + 1 }')
problems=$(check_files)
[ -z "$problems" ] || fail "after a complete save: $problems"
# Kills are spread over the save and a margin on both sides of it.
MAX_DELAY=$(( LAST_MS + LAST_MS / 2 + 2 ))
[ "$MAX_DELAY" -le 300 ] || MAX_DELAY=300
echo "a save writes from $FIRST_MS to $LAST_MS ms after the exit key; kills fall 0..$MAX_DELAY ms after it"

before=0 during=0 after=0 done_iterations=0
for it in $(seq 1 "$ITERATIONS"); do
  [ "$SECONDS" -lt "$DEADLINE" ] || break
  start_and_wait
  touch "$PF/mark"
  delay=$((RANDOM % (MAX_DELAY + 1)))
  pid=$(program_pid)
  [ -n "$pid" ] || fail "cannot find the program's process"
  w=$(panel_window)
  xdotool windowfocus --sync "$w"
  # The kill is timed from the key press, so the killer is on its way before the key.
  (sleep "$(printf '0.%03d' "$delay")"; kill -9 "$pid" 2>/dev/null) &
  killer=$!
  xdotool key --clearmodifiers alt+e
  wait "$killer" || true
  wait_exit 20 || fail "the program still runs after its kill"
  # Which part of the exit the kill met: nothing written yet, some files, or the save of
  # tessara.ini done (the windows save once more as they are destroyed).
  if [ "$PF/tessara.ini" -nt "$PF/mark" ]; then
    after=$((after + 1))
  elif [ -n "$(find "$PF" -newer "$PF/mark" -type f)" ]; then
    during=$((during + 1))
  else
    before=$((before + 1))
  fi
  problems=$(check_files)
  [ -z "$problems" ] || fail "after a kill ${delay} ms into the exit (iteration $it): $problems"
  done_iterations=$it
done
[ "$done_iterations" -ge 5 ] || fail "only $done_iterations kills within the time limit"

# A last start after the last kill shows every window.
start_tessara
wait_tessaras "$N"
leftovers=$(find "$PF" -name '*.tmp[0-9]*' | wc -l)
echo "ok: $done_iterations kills: $before before any write, $during amid the writes, $after after tessara.ini was written; $leftovers temporary files left, never read"

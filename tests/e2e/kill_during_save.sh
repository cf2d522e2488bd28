#!/usr/bin/env bash
# A kill at any moment of the exit's save, or of the save that follows a change (a tile
# dragged onto another cell, a window dragged), leaves every file the program reads whole and
# valid: the INI files keep all their keys, tile files their records (moved, never lost or
# doubled), layer and icon files their stated sizes; leftovers are only temporary files
# under names the program never reads. A window's layer cache is marked stale whenever its
# tiles or place changed since the layers were written. The next start after each kill
# shows all the windows again.
#
# KILL_EXIT and KILL_CHANGE set the number of kills of each kind; KILL_SECONDS limits each
# kind's time (0: no limit). scripts/kill_check.sh runs the same check for many kills.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder

N=4
ITERATIONS=${KILL_EXIT:-10}
CHANGES=${KILL_CHANGE:-15}
LIMIT=${KILL_SECONDS:-30}
DEADLINE=$((LIMIT > 0 ? SECONDS + LIMIT : 1 << 40))
CHECKED=0
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

# Checks every file the program reads; prints how many it checked, then what is wrong.
# "exit" expects the tile files as first written; "change" expects their records moved at
# most, and every window whose layers are not marked stale as it was at the last clean exit.
check_files() {
  python3 - "$PF" "$N" "${1:-exit}" <<'PY'
import collections, os, re, struct, sys
pf, n, mode = sys.argv[1], int(sys.argv[2]), sys.argv[3]
errors = []
checked = 0

def records(data):
    return [(struct.unpack_from("<ii", data, i), data[i + 8:i + 821]) for i in range(0, len(data) - len(data) % 821, 821)]

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

fixed = ("tsCount", "Cols", "Rows", "TileWidth", "BackType") + (("Left", "Top") if mode == "exit" else ())
for name in ("tessara.ini", "tswin.ini"):
    checked += 1
    before = ini(os.path.join(pf, "original", name))
    now = ini(os.path.join(pf, name))
    for sec, keys in before.items():
        for k, v in keys.items():
            got = now.get(sec, {}).get(k)
            if got is None:
                errors.append("%s: [%s] %s is missing" % (name, sec, k))
            elif k in fixed and got != v:
                errors.append("%s: [%s] %s=%s, was %s" % (name, sec, k, got, v))
if mode == "change":
    now, base = ini(os.path.join(pf, "tswin.ini")), ini(os.path.join(pf, "baseline", "tswin.ini"))
    for w in range(1, n + 1):
        if now.get("%d\\Booleans" % w, {}).get("LayersStale") == "1":
            continue
        place = lambda s: tuple(s.get("%d\\Integers" % w, {}).get(k) for k in ("Left", "Top"))
        same = open(os.path.join(pf, "settings", "tessara%d.dat" % w), "rb").read() == \
            open(os.path.join(pf, "baseline", "tessara%d.dat" % w), "rb").read()
        if not same or place(now) != place(base):
            errors.append("window %d changed since its layers were written, yet they are not marked stale" % w)

settings = os.path.join(pf, "settings")
known = re.compile(r"^tessara(\d+)(\.dat|_[0-2]\.bmp|_\d+_\d+\.ico)$")
temp = re.compile(r"^tessara\d+(\.dat|_[0-2]\.bmp|_\d+_\d+\.ico)\.tmp\d+$")
for f in sorted(os.listdir(settings)):
    path = os.path.join(settings, f)
    data = open(path, "rb").read()
    if temp.match(f):
        continue
    checked += 1
    if not known.match(f):
        errors.append("unexpected file settings/%s" % f)
    elif f.endswith(".dat"):
        original = open(os.path.join(pf, "original", f), "rb").read()
        if mode == "exit" and (len(data) % 821 or data != original):
            errors.append("%s: %d bytes, not the %d bytes of tile data written before" % (f, len(data), len(original)))
        elif mode == "change":
            cells = [c for c, _ in records(data)]
            if len(data) % 821 or sorted(r for _, r in records(data)) != sorted(r for _, r in records(original)):
                errors.append("%s: its tiles are not those written before, moved" % f)
            elif len(set(cells)) != len(cells) or any(not (1 <= c <= 3 and 1 <= r <= 3) for c, r in cells):
                errors.append("%s: tiles on cells %s" % (f, cells))
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
print(checked)
print("\n".join(errors))
PY
}

# Runs check_files; fails with $1 as the place of the problem, else adds up the files checked.
expect_files_whole() {
  local result problems
  result=$(check_files "$2")
  problems=$(tail -n +2 <<<"$result")
  [ -z "$problems" ] || fail "$1: $problems"
  CHECKED=$((CHECKED + $(head -n 1 <<<"$result")))
}


# Waits for the windows; when they do not come, says what is on the screen and whether the
# program runs, so that a start that failed after a kill can be told from a slow one.
wait_windows() {
  (wait_tessaras "$N") && return 0
  local names
  names=$(xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r id; do xdotool getwindowname "$id"; done | sort | uniq -c | tr '\n' ';')
  fail "expected $N tessaras, saw $(count_tessaras); program running: $(program_pid || true); windows: $names"
}

start_and_wait() {
  start_tessara
  # Killed on purpose: no job report for it.
  disown "$TESSARA_PID" 2>/dev/null || true
  wait_windows
  # The control panel starts parked; a second start brings it where it takes keys.
  show_panel
}

# Two exits run to their end: the first writes the icon cache, the second times a save as
# every later one runs (key to first written file, key to the last, tessara.ini).
start_and_wait
panel_key alt+e
wait_exit 20 || fail "the program did not end after Alt+E"
expect_files_whole "after a complete save" exit
start_and_wait
w=$(panel_window)
xdotool windowfocus --sync "$w"
t0=$(date +%s%N)
xdotool key --clearmodifiers alt+e
wait_exit 20 || fail "the program did not end after Alt+E"
read -r FIRST_MS LAST_MS < <(find "$PF" -type f -printf '%T@\n' | sort -g |
  awk -v t0="$t0" '{ ms = ($1 - t0 / 1e9) * 1000; if (ms > -1) { if (first == "") first = ms; last = ms } }
                   END { printf "%d %d\n", first, last + 1 }')
expect_files_whole "after a complete save" exit
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
  expect_files_whole "after a kill ${delay} ms into the exit (iteration $it)" exit
  done_iterations=$it
done
[ "$done_iterations" -ge $((ITERATIONS < 5 ? ITERATIONS : 5)) ] || fail "only $done_iterations kills within the time limit"
echo "exit: $done_iterations kills: $before before any write, $during amid the writes, $after after tessara.ini was written"
EXIT_KILLS=$done_iterations

# ---- Kills after changes ----
# A clean exit first: every window's layers are written and not stale; that is the baseline.
start_and_wait
panel_key alt+e
wait_exit 20 || fail "the program did not end after Alt+E"
mkdir -p "$PF/baseline"
cp "$PF"/settings/*.dat "$PF/tswin.ini" "$PF/baseline/"
expect_files_whole "after the clean exit before the changes" change
[ "$(grep -c '^LayersStale=0' "$PF/tswin.ini")" -eq "$N" ] || fail "a clean exit left a stale mark"

# One change as the files on disk stand: "x0 y0 x1 y1 kind" (press, release, what it is).
# A tile is dragged onto another cell of its window, or a window by one of its empty cells.
pick_change() {
  python3 - "$PF" "$N" "$RANDOM" <<'PY'
import random, re, struct, sys
pf, n, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rnd = random.Random(seed)
text = open(pf + "/tswin.ini", "rb").read().decode("latin-1").replace("\r\n", "\n")
def key(w, k):
    m = re.search(r"\[%d\\Integers\][^\[]*?\n%s=(-?\d+)" % (w, k), text)
    return int(m.group(1))
w = rnd.randint(1, n)
left, top, tw, th, cs = (key(w, k) for k in ("Left", "Top", "TileWidth", "TileHeight", "CellSpacing"))
border = (0, 1, 1, 2)[key(w, "BorderType") & 3] + key(w, "BorderSpacing")
data = open("%s/settings/tessara%d.dat" % (pf, w), "rb").read()
used = {struct.unpack_from("<ii", data, i) for i in range(0, len(data) - len(data) % 821, 821)}
cells = [(c, r) for c in range(1, 4) for r in range(1, 4)]
centre = lambda c, r: (left + border + (c - 1) * (tw + cs) + tw // 2, top + border + (r - 1) * (th + cs) + th // 2)
empty = [c for c in cells if c not in used]
if used and (not empty or rnd.random() < 0.6):
    a = rnd.choice(sorted(used))
    b = rnd.choice([c for c in cells if c != a])
    print(*centre(*a), *centre(*b), "tile")
else:
    # Each window keeps to its own band of the screen, so windows never cover each other.
    base_left, base_top = 60 + 250 * (w - 1), 100 + 40 * w
    nl = min(max(left + rnd.randint(-30, 30), base_left - 40), base_left + 40)
    nt = min(max(top + rnd.randint(-30, 30), base_top - 40), base_top + 300)
    if (nl, nt) == (left, top):
        nl += 5
    x, y = centre(*rnd.choice(empty))
    print(x, y, x + nl - left, y + nt - top, "window")
PY
}

# Presses at ($1,$2), moves in steps to ($3,$4); the release is left to the caller.
drag_to() {
  local i
  xdotool mousemove --sync $(($1 - 2)) "$2"
  xdotool mousemove --sync "$1" "$2"
  xdotool mousedown 1
  for i in 1 2 3; do
    xdotool mousemove --sync $(($1 + ($3 - $1) * i / 3)) $(($2 + ($4 - $2) * i / 3 + 1))
  done
  xdotool mousemove --sync "$3" "$4"
}

start_windows() {
  start_tessara
  disown "$TESSARA_PID" 2>/dev/null || true
  wait_windows
}

# One change run to its end times the change-save: release to the last file written.
start_windows
read -r x0 y0 x1 y1 kind < <(pick_change)
drag_to "$x0" "$y0" "$x1" "$y1"
t0=$(date +%s%N)
xdotool mouseup 1
sleep 1
LAST_MS=$(find "$PF" -type f -printf '%T@\n' | awk -v t0="$t0" '{ ms = ($1 - t0 / 1e9) * 1000; if (ms > last) last = ms } END { printf "%d\n", last + 1 }')
kill -9 "$(program_pid)"
wait_exit 20 || fail "the program still runs after its kill"
expect_files_whole "after a $kind change run to its end" change
# A transparent window composes (a screen capture) before its save: at least 60 ms.
CHANGE_MAX=$(( LAST_MS + LAST_MS / 2 + 2 ))
[ "$CHANGE_MAX" -ge 60 ] || CHANGE_MAX=60
[ "$CHANGE_MAX" -le 300 ] || CHANGE_MAX=300
echo "a $kind change's save ends $LAST_MS ms after the release; kills fall 0..$CHANGE_MAX ms after it"

DEADLINE=$((LIMIT > 0 ? SECONDS + LIMIT : 1 << 40))
before=0 during=0 after=0 done_changes=0
for it in $(seq 1 "$CHANGES"); do
  [ "$SECONDS" -lt "$DEADLINE" ] || break
  start_windows
  read -r x0 y0 x1 y1 kind < <(pick_change)
  pid=$(program_pid)
  [ -n "$pid" ] || fail "cannot find the program's process"
  drag_to "$x0" "$y0" "$x1" "$y1"
  touch "$PF/mark"
  delay=$((RANDOM % (CHANGE_MAX + 1)))
  (sleep "$(printf '0.%03d' "$delay")"; kill -9 "$pid" 2>/dev/null) &
  killer=$!
  xdotool mouseup 1
  wait "$killer" || true
  wait_exit 20 || fail "the program still runs after its kill"
  # The change-save writes the section, then the tile file, then changed icons.
  if [ -n "$(find "$PF/settings" -name '*.dat' -newer "$PF/mark")" ]; then
    after=$((after + 1))
  elif [ "$PF/tswin.ini" -nt "$PF/mark" ]; then
    during=$((during + 1))
  else
    before=$((before + 1))
  fi
  expect_files_whole "after a kill ${delay} ms into the save of a $kind change (iteration $it)" change
  done_changes=$it
done
[ "$done_changes" -ge $((CHANGES < 5 ? CHANGES : 5)) ] || fail "only $done_changes kills after changes within the time limit"
echo "change: $done_changes kills: $before before any write, $during after the section, $after after the tile file"

# A last start after the last kill shows every window, and its exit clears every stale mark.
start_and_wait
panel_key alt+e
wait_exit 20 || fail "the program did not end after Alt+E"
[ "$(grep -c '^LayersStale=0' "$PF/tswin.ini")" -eq "$N" ] || fail "the exit after the kills left a stale mark"
# The last start removed what the kills left.
leftovers=$(find "$PF" -name '*.tmp[0-9]*' | wc -l)
[ "$leftovers" -eq 0 ] || fail "$leftovers temporary files of the kills are still there after a start"
echo "ok: $((EXIT_KILLS + done_changes)) kills ($EXIT_KILLS in the exit's save, $done_changes after changes), $CHECKED files checked, 0 corrupt or lost, no temporary file left"

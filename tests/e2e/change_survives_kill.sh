#!/usr/bin/env bash
# A tile dropped onto a window reaches its files at once: killed with kill -9 right after
# the drop, with no exit, the program comes back with the tile, its icon cache file and a
# picture composed afresh (the layer cache files, written before the drop, do not show it and
# are not used); the following exit writes layers that show it.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder

drop_setup



# Non-grey pixels of cell (2,1) on the screen.
screen_marks() {
  local w
  w=$(xdotool search --onlyvisible --name '^ts$' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$w")"
  xwd -root -silent | convert xwd:- -crop "36x36+$((X + 36))+$Y" -depth 8 txt:- | grep -vc '#808080' || true
}

# A clean first run leaves layer cache files of the empty window.
start_tessara
wait_tessaras 1
exit_through_panel
expect_eq "$(cell_marks "$PF/settings/tessara1_0.bmp")" 0 "marks in the empty cell before the drop"
expect_eq "$(ini_value "$PF/tswin.ini" LayersStale)" 0 "stale mark after a clean exit"
cp "$PF/settings/tessara1_0.bmp" "$PF/layer-before"

# The drop, then a kill as soon as the tile file holds the tile.
start_tessara
disown "$TESSARA_PID" 2>/dev/null || true
wait_tessaras 1
"$DROP" 254 218 "$PF/docs/notes.txt" || fail "the drop was not taken"
for i in $(seq 1 100); do
  grep -q 'notes.txt' "$PF/settings/tessara1.dat" 2>/dev/null && [ -s "$PF/settings/tessara1_2_1.ico" ] && break
  sleep 0.05
done
pid=$(program_pid)
[ -n "$pid" ] || fail "cannot find the program's process"
kill -9 "$pid"
wait_exit 20 || fail "the program still runs after its kill"

grep -q 'notes.txt' "$PF/settings/tessara1.dat" || fail "the dropped tile was not written before the kill"
[ -s "$PF/settings/tessara1_2_1.ico" ] || fail "no icon cache file for the new tile"
expect_eq "$(ini_value "$PF/tswin.ini" LayersStale)" 1 "stale mark after the change"
cmp -s "$PF/settings/tessara1_0.bmp" "$PF/layer-before" || fail "a change-save wrote the layer cache"

# The next start composes: the screen shows the tile the cached layer does not.
start_tessara
wait_tessaras 1
sleep 0.5
shown=$(screen_marks)
[ "$shown" -gt 20 ] || fail "the window does not show the tile after the kill ($shown pixels)"
exit_through_panel
marks=$(cell_marks "$PF/settings/tessara1_0.bmp")
[ "$marks" -gt 20 ] || fail "the layers saved after the restart do not show the tile ($marks pixels)"
expect_eq "$(ini_value "$PF/tswin.ini" LayersStale)" 0 "stale mark after the full save"
grep -q 'notes.txt' "$PF/settings/tessara1.dat" || fail "the tile is gone after the restart's exit"
echo "ok"

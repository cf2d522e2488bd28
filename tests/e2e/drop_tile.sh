#!/usr/bin/env bash
# A file dropped from outside (an X drag-and-drop source, as a file manager drops) onto an
# empty cell of a window shown from its cached layers becomes a tile; after exit and a new
# start the tile data file holds it, its icon cache file exists and the layer files show it.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder

drop_setup

# The first start composes the window and leaves its layers in their cache files.
start_tessara
wait_tessaras 1
exit_through_panel
for m in 0 1 2; do [ -f "$PF/settings/tessara1_$m.bmp" ] || fail "layer file $m missing after the first run"; done
expect_eq "$(cell_marks "$PF/settings/tessara1_0.bmp")" 0 "marks in the empty cell before the drop"

# The second start shows the window from those files; the drop lands on the empty cell.
start_tessara
wait_tessaras 1
"$DROP" 254 218 "$PF/docs/notes.txt" || fail "the drop was not taken"
exit_through_panel

dat="$PF/settings/tessara1.dat"
[ -f "$dat" ] || fail "no tile data file"
grep -q 'notes.txt' "$dat" || fail "the dropped file is not in the tile data file"
grep -qa 'Notes' "$dat" || fail "the tile's description is not in the tile data file"
[ -s "$PF/settings/tessara1_2_1.ico" ] || fail "no icon cache file for the new tile"
marks=$(cell_marks "$PF/settings/tessara1_0.bmp")
[ "$marks" -gt 20 ] || fail "the saved normal layer does not show the new tile ($marks marked pixels)"

# A new start shows the tile from the files.
start_tessara
wait_tessaras 1
w=$(xdotool search --onlyvisible --name '^ts$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$w")"
shown=$(xwd -root -silent | convert xwd:- -crop "36x36+$((X + 36))+$Y" -depth 8 txt:- | grep -vc '#808080' || true)
[ "$shown" -gt 20 ] || fail "the window does not show the tile after the restart ($shown pixels)"
echo "ok"

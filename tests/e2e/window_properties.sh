#!/usr/bin/env bash
# The grid of a window changed through "&Tessara Properties..." with real keys: three steps
# of the Columns bar and Enter for OK widen the window at once; after exit "tswin.ini" holds
# the new grid and the next start shows the window at its new size.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder

printf '[1\\Integers]\r\nLeft=60\r\nTop=80\r\nCols=2\r\nRows=2\r\nTileWidth=36\r\nTileHeight=36\r\n' >"$PF/tswin.ini"
printf 'CellSpacing=2\r\nBorderType=3\r\nBorderSpacing=0\r\nBackType=0\r\nColor=8421504\r\nOpacity=0\r\n' >>"$PF/tswin.ini"
printf '[Integers]\r\ntsCount=1\r\n' >"$PF/tessara.ini"
# Border 2: 2*2 + 2*36 + 1*2 = 78 wide and high; five columns: 2*2 + 5*36 + 4*2 = 192.
W0=78 H0=78 W1=192

geometry() {
  local w
  w=$(xdotool search --onlyvisible --name '^ts$' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$w")"
  echo "$X,$Y,$WIDTH,$HEIGHT"
}

start_tessara
wait_tessaras 1
expect_eq "$(geometry)" "60,80,$W0,$H0" "window at start"

# The context menu on the border (no tile there), then its eighth item.
xdotool mousemove --sync 61 81
xdotool click 3
sleep 0.5
for i in 1 2 3 4 5 6 7 8; do xdotool key Down; done
xdotool key Return
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Window properties$' | head -n 1) ||
  fail "no properties dialog"
[ -n "$dialog" ] || fail "no properties dialog"
xdotool windowfocus --sync "$dialog"
# The OK button has the focus; Tab goes round to the Columns bar, the first stop.
xdotool key Tab Right Right Right Return
for i in $(seq 1 100); do
  [ "$(geometry)" = "60,80,$W1,$H0" ] && break
  sleep 0.1
done
expect_eq "$(geometry)" "60,80,$W1,$H0" "window after OK"

exit_through_panel
expect_eq "$(ini_value "$PF/tswin.ini" Cols)" 5 "Cols in tswin.ini"
expect_eq "$(ini_value "$PF/tswin.ini" Rows)" 2 "Rows in tswin.ini"
expect_eq "$(ini_value "$PF/tswin.ini" FloatHint)" 0 "FloatHint in tswin.ini"

start_tessara
wait_tessaras 1
expect_eq "$(geometry)" "60,80,$W1,$H0" "window after restart"
echo "ok"

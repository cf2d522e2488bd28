#!/usr/bin/env bash
# First start in an empty folder: the control panel is on screen, Alt+E exits and writes
# the main keys with their defaults.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder
start_tessara

w=$(panel_window)
[ -n "$w" ] || fail "the control panel did not appear"
eval "$(xdotool getwindowgeometry --shell "$w")"
[ "$X" -ge 0 ] && [ "$X" -lt 1280 ] && [ "$Y" -ge 0 ] && [ "$Y" -lt 1024 ] ||
  fail "control panel is off screen at $X,$Y"
expect_eq "$(count_tessaras)" 0 "tessaras on first start"
[ -d "$PF/settings" ] || fail "the settings folder was not created"
[ ! -e "$PF/tessara.ini" ] || fail "tessara.ini written before exit"

panel_key alt+e
wait_exit || fail "the program did not end after Alt+E"
ini="$PF/tessara.ini"
[ -f "$ini" ] || fail "tessara.ini was not written"
expect_eq "$(ini_value "$ini" SnapEdges)" 0 SnapEdges
expect_eq "$(ini_value "$ini" Startup)" 0 Startup
expect_eq "$(ini_value "$ini" tsCount)" 0 tsCount
expect_eq "$(ini_value "$ini" LastX)" 240 LastX
expect_eq "$(ini_value "$ini" SnapDistance)" 8 SnapDistance
[ -n "$(ini_value "$ini" LastY)" ] || fail "LastY missing"
echo "ok"

#!/usr/bin/env bash
# The program in a folder named in Greek and Chinese, in a prefix whose legacy code page is
# 1252: it starts, its second start finds the first, an exit writes its files in that folder,
# and the next start shows the window from them.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder
drop_setup
BASE=$PF
PF="$BASE/Δοκιμή 测试"
mkdir "$PF"
mv "$BASE/tessara.exe" "$BASE/TESSARA.DLL" "$BASE/tswin.ini" "$BASE/tessara.ini" "$PF/"
trap 'stop_tessara; rm -rf "$BASE"' EXIT

start_tessara
wait_tessaras 1
exit_through_panel
expect_eq "$(ini_value "$PF/tessara.ini" tsCount)" 1 tsCount
expect_eq "$(ini_value "$PF/tswin.ini" Left)" 200 "the window's place"
for m in 0 1 2; do [ -f "$PF/settings/tessara1_$m.bmp" ] || fail "layer file $m missing after the first run"; done

start_tessara
wait_tessaras 1
w=$(xdotool search --onlyvisible --name '^ts$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$w")"
expect_eq "$X,$Y" "200,200" "the window's place after the restart"
exit_through_panel
echo "ok"

#!/usr/bin/env bash
# A stored count of 20 restores sixteen windows with the panel parked; the next exit
# writes 16. A second start in the same folder only brings the running panel back.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder
printf '[Integers]\r\ntsCount=20\r\n' >"$PF/tessara.ini"
start_tessara

w=$(timeout 30 xdotool search --sync --name '^Tessarav1\.99\.0\.3 beta$' | head -n 1)
[ -n "$w" ] || fail "the control panel did not appear"
wait_tessaras 16
eval "$(xdotool getwindowgeometry --shell "$w")"
expect_eq "$X" 4000 "parked control panel left edge"

# A second copy must not run beside the first: it ends and the panel comes back.
(cd "$PF" && timeout 30 wine ./tessara.exe </dev/null >/dev/null 2>&1) || fail "second start failed"
for i in $(seq 1 100); do
  eval "$(xdotool getwindowgeometry --shell "$w")"
  [ "$X" -lt 1280 ] && break
  sleep 0.1
done
expect_eq "$X" 240 "control panel brought back by a second start"
expect_eq "$(count_tessaras)" 16 "tessaras after a second start"

panel_key alt+e
wait_exit || fail "the program did not end after Alt+E"
expect_eq "$(ini_value "$PF/tessara.ini" tsCount)" 16 tsCount
echo "ok"

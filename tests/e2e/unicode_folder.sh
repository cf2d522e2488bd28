#!/usr/bin/env bash
# The program in a folder named in Greek and Chinese (legacy code page 1252): it starts, its
# second start finds it, an exit writes its files there and the next start shows the window.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder
drop_setup
BASE=$PF PF="$PF/Δοκιμή 测试"
mkdir "$PF" && mv "$BASE"/{tessara.exe,TESSARA.DLL,tswin.ini,tessara.ini} "$PF/"
trap 'stop_tessara; rm -rf "$BASE"' EXIT
for run in 1 2; do
  start_tessara
  wait_tessaras 1
  exit_through_panel
  [ -f "$PF/settings/tessara1_0.bmp" ] || fail "no layer file after run $run"
  expect_eq "$(ini_value "$PF/tswin.ini" Left),$(ini_value "$PF/tessara.ini" tsCount),$(ini_value "$PF/tessara.ini" SnapDistance)" \
    "200,1,8" "files after run $run"
done
echo "ok"

#!/usr/bin/env bash
# Deleting the middle one of three windows (Ctrl+F4, confirmed with Yes) moves the last
# window into its number: after exit the files hold two windows, the second with the third's
# place, look and tile data, and the next start shows those two windows where they belong.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder

mkdir -p "$PF/settings"
write_tiles "$PF/settings/tessara1.dat" '1,1,C:\windows\notepad.exe,Notepad,C:\windows'
write_tiles "$PF/settings/tessara2.dat" '2,1,C:\windows\system32\winemine.exe,Mines,C:\windows'
# Column outer, row inner: the order the program writes, so a save keeps the bytes.
write_tiles "$PF/settings/tessara3.dat" '1,1,C:\windows\regedit.exe,Registry,C:\windows' \
  '2,3,C:\windows\system32\taskmgr.exe,Tasks,C:\windows\system32'

# n Left Top Cols Rows TileWidth CellSpacing BorderType BorderSpacing BackType Color Opacity
window_section() {
  local n=$1 left=$2 top=$3 cols=$4 rows=$5 tw=$6 cs=$7 bt=$8 bs=$9 back=${10} color=${11} opacity=${12}
  printf '[%s\\Integers]\r\nLeft=%s\r\nTop=%s\r\nCols=%s\r\nRows=%s\r\n' "$n" "$left" "$top" "$cols" "$rows"
  printf 'TileWidth=%s\r\nTileHeight=%s\r\nCellSpacing=%s\r\nBorderType=%s\r\n' "$tw" "$tw" "$cs" "$bt"
  printf 'BorderSpacing=%s\r\nBackType=%s\r\nColor=%s\r\nOpacity=%s\r\nEffect=0\r\n\r\n' "$bs" "$back" "$color" "$opacity"
}
{
  window_section 1 60 80 2 2 36 0 3 0 0 255 0
  window_section 2 400 90 3 1 40 2 1 1 0 65280 0
  window_section 3 700 500 2 3 44 1 2 2 2 16711680 50
} >"$PF/tswin.ini"
printf '[Integers]\r\ntsCount=3\r\n' >"$PF/tessara.ini"
cp "$PF/settings/tessara3.dat" "$PF/third.dat"

BW=(0 1 1 2)
size() {  # cols rows tile cs bt bs -> "W H"
  local b=$((BW[$5] + $6))
  echo "$((2 * b + $1 * $3 + ($1 - 1) * $4)) $((2 * b + $2 * $3 + ($2 - 1) * $4))"
}
read -r W1 H1 < <(size 2 2 36 0 3 0)
read -r W2 H2 < <(size 3 1 40 2 1 1)
read -r W3 H3 < <(size 2 3 44 1 2 2)

geometries() {
  for w in $(xdotool search --onlyvisible --name '^ts$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    echo "$X,$Y,$WIDTH,$HEIGHT $w"
  done | sort
}

start_tessara
wait_tessaras 3
shown=$(geometries)
expect_eq "$(cut -d' ' -f1 <<<"$shown" | xargs)" "400,90,$W2,$H2 60,80,$W1,$H1 700,500,$W3,$H3" "windows at start"
second=$(sed -n "s/^400,90,$W2,$H2 //p" <<<"$shown")

# Ctrl+F4 on window 2, then Yes in the confirmation. A click on its border (no tile there)
# makes it the active window, which keys need besides the X focus.
eval "$(xdotool getmouselocation --shell)"
# A --sync move to where the pointer already is would wait for a motion that never comes.
[ "$X,$Y" = "401,91" ] || xdotool mousemove --sync 401 91
xdotool click 1
xdotool windowfocus --sync "$second"
xdotool key --clearmodifiers ctrl+F4
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^Tessara .*beta$' | head -n 1) ||
  fail "no confirmation message box after Ctrl+F4 on window 2"
[ -n "$box" ] || fail "no confirmation message box after Ctrl+F4 on window 2"
xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers Return
wait_tessaras 2
expect_eq "$(geometries | cut -d' ' -f1 | xargs)" "60,80,$W1,$H1 700,500,$W3,$H3" "windows left after the delete"

exit_through_panel

expect_eq "$(ini_value "$PF/tessara.ini" tsCount)" 2 tsCount
# Values of a section's key in tswin.ini.
section_value() {
  tr -d '\r' <"$PF/tswin.ini" | awk -v s="[$1]" -v k="$2" '
    /^\[/ { in_s = ($0 == s); next }
    in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}
for kv in Left=700 Top=500 Cols=2 Rows=3 TileWidth=44 CellSpacing=1 BorderType=2 BorderSpacing=2 \
          BackType=2 Color=16711680 Opacity=50 Border=3; do
  expect_eq "$(section_value '2\Integers' "${kv%%=*}")" "${kv#*=}" "window 2 ${kv%%=*} after the delete"
done
for kv in Left=60 Top=80 Cols=2 BorderType=3 Color=255; do
  expect_eq "$(section_value '1\Integers' "${kv%%=*}")" "${kv#*=}" "window 1 ${kv%%=*} after the delete"
done
cmp -s "$PF/settings/tessara2.dat" "$PF/third.dat" ||
  fail "tessara2.dat is not the third window's former tile data ($(stat -c %s "$PF/settings/tessara2.dat") bytes)"

# The next start shows the two windows at their places.
start_tessara
wait_tessaras 2
expect_eq "$(geometries | cut -d' ' -f1 | xargs)" "60,80,$W1,$H1 700,500,$W3,$H3" "windows after restart"
echo "ok"

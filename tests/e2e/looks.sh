#!/usr/bin/env bash
# Three restored windows of different looks appear at their stored places with the sizes of
# the formulas, and a screenshot shows each look's pixels: a plain colour inside the black
# line and the raised edge, a tiled picture, and a tinted copy of what lay behind.
source "$(dirname "$0")/e2e_lib.sh"
new_program_folder

# Colours are stored red in the low byte. Each channel is even, so x1.5 and x0.75 are exact.
PLAIN=0xA04060         # r 96, g 64, b 160
TINT=0x204080          # r 128, g 64, b 32
WINPIC="Z:${PF//\//\\}\\pic.bmp"

# A 4 x 4 picture: pixel (x, y) from the top is r 40+50x, g 30+60y, b 200-20x-10y.
pic_rgb() { echo "$((40 + 50 * $1)) $((30 + 60 * $2)) $((200 - 20 * $1 - 10 * $2))"; }
python3 - "$PF/pic.bmp" <<'PY'
import struct, sys
rows = b""
for y in range(3, -1, -1):  # bottom-up
    for x in range(4):
        rows += bytes((200 - 20 * x - 10 * y, 30 + 60 * y, 40 + 50 * x))
head = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, 4, 4, 1, 24, 0, len(rows), 0, 0, 0, 0)
open(sys.argv[1], "wb").write(head + info + rows)
PY

# Window n: Left Top Cols Rows TileWidth TileHeight CellSpacing BorderType BorderSpacing
# BackType Color Opacity; the stored Border is stale on purpose (the formula decides).
window_section() {
  local n=$1 left=$2 top=$3 cols=$4 rows=$5 tw=$6 th=$7 cs=$8 bt=$9 bs=${10} back=${11} color=${12} opacity=${13}
  printf '[%s\\Integers]\r\nLeft=%s\r\nTop=%s\r\nCols=%s\r\nRows=%s\r\n' "$n" "$left" "$top" "$cols" "$rows"
  printf 'TileWidth=%s\r\nTileHeight=%s\r\nCellSpacing=%s\r\nBorderType=%s\r\n' "$tw" "$th" "$cs" "$bt"
  printf 'BorderSpacing=%s\r\nBackType=%s\r\nColor=%d\r\nOpacity=%s\r\n' "$bs" "$back" "$color" "$opacity"
  printf 'Border=7\r\nEffect=0\r\n\r\n'
}
{
  window_section 1 40 60 3 2 40 36 2 3 2 0 $((PLAIN)) 0
  window_section 2 300 80 4 3 32 32 0 0 0 1 0 0
  printf '[2\\Strings]\r\nBMPFilename=%s\r\n\r\n' "$WINPIC"
  window_section 3 600 400 2 5 48 34 1 1 3 2 $((TINT)) 50
} >"$PF/tswin.ini"
printf '[Integers]\r\ntsCount=3\r\n' >"$PF/tessara.ini"

# Expected places and sizes: width = 2*Border + Cols*TileWidth + (Cols-1)*CellSpacing with
# Border = [0,1,1,2][BorderType] + BorderSpacing.
BW=(0 1 1 2)
size() {  # cols rows tw th cs bt bs -> "W H"
  local b=$((BW[$6] + $7))
  echo "$((2 * b + $1 * $3 + ($1 - 1) * $5)) $((2 * b + $2 * $4 + ($2 - 1) * $5))"
}
read -r W1 H1 < <(size 3 2 40 36 2 3 2)
read -r W2 H2 < <(size 4 3 32 32 0 0 0)
read -r W3 H3 < <(size 2 5 48 34 1 1 3)
expected=$(printf '%s\n' "40,60,$W1,$H1" "300,80,$W2,$H2" "600,400,$W3,$H3" | sort)

SCREEN_W=$(xdotool getdisplaygeometry | cut -d' ' -f1)
SHOT="$PF/shot.rgb"
screenshot() { xwd -root -silent | convert xwd:- -depth 8 "rgb:$SHOT"; }
pixel() { od -An -tu1 -j $((($2 * SCREEN_W + $1) * 3)) -N3 "$SHOT" | xargs; }

# What lies behind the transparent window before it exists: its inside is this averaged
# with the tint, remainders dropped.
screenshot
T_IN=(620 450 650 560 700 575)  # x y pairs inside window 3's border
behind=()
for ((i = 0; i < ${#T_IN[@]}; i += 2)); do behind+=("$(pixel "${T_IN[i]}" "${T_IN[i + 1]}")"); done

start_tessara
wait_tessaras 3
shown=$(for w in $(xdotool search --onlyvisible --name '^ts$'); do
  eval "$(xdotool getwindowgeometry --shell "$w")"
  echo "$X,$Y,$WIDTH,$HEIGHT"
done | sort)
[ "$shown" = "$expected" ] || fail "window places and sizes: expected [$(echo $expected)], got [$(echo $shown)]"

# Checks: "x y r g b" lines.
checks=()
add() { checks+=("$1 $2 $3"); }
scale() { local r g b; read -r r g b <<<"$1"; echo "$(( (r * $2) / $3 )) $(( (g * $2) / $3 )) $(( (b * $2) / $3 ))"; }
plain="96 64 160"
bright=$(scale "$plain" 3 2)
dark=$(scale "$plain" 3 4)
L=40 T=60 R=$((40 + W1 - 1)) B=$((60 + H1 - 1)) MX=$((40 + W1 / 2)) MY=$((60 + H1 / 2))
for p in "$L $T" "$R $B" "$MX $T" "$MX $B" "$L $MY" "$R $MY"; do add $p "0 0 0"; done
add "$MX" $((T + 1)) "$bright"          # the ring inside the black line: top and left raised
add $((L + 1)) "$MY" "$bright"
add $((R - 1)) "$MY" "$dark"            # right and bottom lowered
add "$MX" $((B - 1)) "$dark"
add $((L + 1)) $((B - 1)) "$bright"     # where they cross, top and left win
add $((R - 1)) $((T + 1)) "$bright"
add $((L + 2)) "$MY" "$plain"           # the border spacing and the cells keep the colour
add "$MX" $((T + 3)) "$plain"
add $((L + 4 + 20)) $((T + 4 + 18)) "$plain"
add $((L + 4 + 40 + 1)) "$MY" "$plain"  # in the cell spacing
for xy in "0 0" "$((W2 - 1)) $((H2 - 1))" "5 6" "66 49" "127 2" "1 95"; do
  read -r x y <<<"$xy"
  add $((300 + x)) $((80 + y)) "$(pic_rgb $((x % 4)) $((y % 4)))"
done
for p in "600 400" "$((600 + W3 - 1)) $((400 + H3 - 1))" "650 400" "600 500"; do add $p "0 0 0"; done
for ((i = 0; i < ${#T_IN[@]}; i += 2)); do
  read -r r g b <<<"${behind[i / 2]}"
  add "${T_IN[i]}" "${T_IN[i + 1]}" "$(((r + 128) / 2)) $(((g + 64) / 2)) $(((b + 32) / 2))"
done

# The windows paint right after they show; a few screenshots allow for the last paints.
for attempt in $(seq 1 25); do
  screenshot
  bad=()
  for c in "${checks[@]}"; do
    read -r x y r g b <<<"$c"
    got=$(pixel "$x" "$y")
    [ "$got" = "$r $g $b" ] || bad+=("($x,$y) expected $r $g $b, got $got")
  done
  [ ${#bad[@]} -eq 0 ] && break
  sleep 0.2
done
[ ${#bad[@]} -eq 0 ] || fail "pixels: ${bad[*]}"
echo "ok (${#checks[@]} pixels)"

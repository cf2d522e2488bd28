#!/usr/bin/env bash
# The installer as a user meets it, in a fresh Wine prefix: an upgrade as it runs, the program
# started from its Start menu shortcut, installs over a running copy and over saved tiles,
# a silent and an interactive removal. Needs dist/ from scripts/package.sh.
source "$(dirname "$0")/e2e_lib.sh"
source "$E2E_ROOT/scripts/lib.sh"
SETUP=$(ls "$E2E_ROOT"/dist/Tessara-*-setup.exe)
VERSION=$(basename "$SETUP" -setup.exe | sed 's/^Tessara-//')
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/tessara-setup.XXXXXX)
trap 'wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
bash "$E2E_ROOT/scripts/package.sh" --version 1.0.0.0 --out "$WINEPREFIX/old" >/dev/null  # same files, lower version
prepare_wine

win_var() { wine cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r'; }
WIN_APP="$(win_var LOCALAPPDATA)\\Programs\\Tessara"
APP=$(winepath -u "$WIN_APP")
WIN_LINK="$(win_var APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Tessara.lnk"
LINK=$(winepath -u "$WIN_LINK")
STARTUP_LINK="$(dirname "$LINK")/StartUp/tessara2.lnk"  # as Wine names the folder
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessara'
install() { wine "${1:-$SETUP}" /S </dev/null >/dev/null 2>&1 || fail "the installer failed ($?)"; }
wait_for() {  # $1 seconds for the shell condition $2
  local i
  for i in $(seq 1 $(($1 * 10))); do eval "$2" && return 0; sleep 0.1; done
  fail "waited in vain for: $2"
}
saved_state() { (cd "$APP" && sha256sum tessara.ini settings/*.dat && grep -v '^LayersStale=' tswin.ini); }  # no caches

install "$WINEPREFIX/old/Tessara-1.0.0.0-setup.exe"
for f in tessara.exe TESSARA.DLL README.txt LICENSES.txt uninstall.exe; do [ -f "$APP/$f" ] || fail "no $f"; done
# Running from its folder by another name (a link here; on Windows a junction or short name).
ln -s "$APP" "$WINEPREFIX/alias"
wine "$(winepath -w "$WINEPREFIX/alias/tessara.exe")" </dev/null >/dev/null 2>&1 & old=$!
PF="$APP" panel_key alt+n
wait_tessaras 1
before=$(saved_state)
install  # the upgrade: the running copy saves and exits, and the new one is started
! kill -0 "$old" 2>/dev/null || fail "the running copy did not exit"
wait_tessaras 1
expect_eq "$(saved_state)" "$before" "settings after the upgrade"
entry=$(wine reg query "$KEY" </dev/null 2>/dev/null | tr -d '\r')
while IFS='|' read -r name type value; do
  grep -qxF "    $name    $type    $value" <<<"$entry" || fail "Uninstall value $name is not '$value'"
done <<EOF
DisplayName|REG_SZ|Tessara
DisplayVersion|REG_SZ|$VERSION
Publisher|REG_SZ|Tessara developers
DisplayIcon|REG_SZ|$WIN_APP\\tessara.exe,0
InstallLocation|REG_SZ|$WIN_APP
UninstallString|REG_SZ|"$WIN_APP\\uninstall.exe"
QuietUninstallString|REG_SZ|"$WIN_APP\\uninstall.exe" /S
NoModify|REG_DWORD|0x1
NoRepair|REG_DWORD|0x1
EOF
grep -qE "^    EstimatedSize    REG_DWORD    0x[0-9a-f]{3,}$" <<<"$entry" || fail "no EstimatedSize"

# A dialog open in the running copy: the silent install ends "in use" and changes nothing.
xdotool mousemove --window "$(xdotool search --onlyvisible --name '^ts$')" 1 1 click 3 sleep 0.5 \
  key Down Down Down Down Down Down Down Down Return  # its properties
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Window properties$' | head -n 1) || fail "no dialog"
touch "$WINEPREFIX/mark"
timeout 30 wine "$SETUP" /S </dev/null >/dev/null 2>&1 && code=0 || code=$?  # at once, not after a wait
expect_eq "$code" "$(sed -n 's/^!define EXIT_IN_USE "\(.*\)"$/\1/p' "$E2E_ROOT/res/release.nsh")" "the installer's code"
[ -z "$(find "$APP" -newer "$WINEPREFIX/mark")" ] || fail "the refused install changed files"
xdotool windowfocus --sync "$dialog" key Escape

# Started through the shortcut, the installed copy keeps its files beside itself.
wine start "$WIN_LINK" </dev/null >/dev/null 2>&1
[ -n "$(panel_window)" ] || fail "the shortcut did not start Tessara"
[ -d "$APP/settings" ] || fail "the started copy is not the installed one"

cp "$LINK" "$STARTUP_LINK"
printf 'var s = new ActiveXObject("WScript.Shell").CreateShortcut(WScript.Arguments(0));\n%s\n' \
  's.TargetPath = "C:\\windows\\tessara.exe"; s.Save();' >"$WINEPREFIX/drive_c/link.js"
wine cscript 'C:\link.js' "$(winepath -w "${STARTUP_LINK%/*}/Tessara.lnk")" </dev/null >/dev/null 2>&1  # a portable copy's
wine "$APP/uninstall.exe" /S </dev/null >/dev/null 2>&1
wait_for 30 '[ ! -e "$APP/uninstall.exe" ]'
for f in "$APP/tessara.exe" "$APP/TESSARA.DLL" "$LINK" "$STARTUP_LINK"; do [ ! -e "$f" ] || fail "$f is left"; done
[ -e "${STARTUP_LINK%/*}/Tessara.lnk" ] || fail "the portable copy's startup shortcut was removed"
! wine reg query "$KEY" </dev/null >/dev/null 2>&1 || fail "the Uninstall entry is left"
expect_eq "$(saved_state)" "$before" "settings after a silent uninstall"

# Interactively the user may remove the tiles too.
install
touch "$APP/tessara.ini.tmp4242" "$APP/tswin.ini.tmp4242"  # left by a save cut short
wine "$APP/uninstall.exe" </dev/null >/dev/null 2>&1 &
page=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tessara Uninstall: Confirmation$' | head -n 1) || fail "no confirmation"
xdotool windowfocus --sync "$page" key Return
box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tessara Uninstall$' | head -n 1)
wine reg query "$KEY" </dev/null >/dev/null 2>&1 || fail "the Uninstall entry went before the answer"
xdotool windowfocus --sync "$box" key y
wait_for 30 '[ ! -e "$APP" ]'
echo "ok"

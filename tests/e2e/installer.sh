#!/usr/bin/env bash
# The installer as a user meets it, in a fresh Wine prefix: a silent install, the program
# started from its Start menu shortcut, installs over a running copy and over saved tiles,
# a silent and an interactive removal. Needs dist/ from scripts/package.sh.
source "$(dirname "$0")/e2e_lib.sh"
source "$E2E_ROOT/scripts/lib.sh"
SETUP=$(ls "$E2E_ROOT"/dist/Tessara-*-setup.exe)
VERSION=$(basename "$SETUP" -setup.exe | sed 's/^Tessara-//')
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/tessara-setup.XXXXXX)
trap 'wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
prepare_wine

win_var() { wine cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r'; }
WIN_APP="$(win_var LOCALAPPDATA)\\Programs\\Tessara"
APP=$(winepath -u "$WIN_APP")
WIN_LINK="$(win_var APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Tessara.lnk"
LINK=$(winepath -u "$WIN_LINK")
STARTUP_LINK="$(dirname "$LINK")/StartUp/tessara2.lnk"  # as Wine names the folder
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessara'
install() { wine "$SETUP" /S </dev/null >/dev/null 2>&1 || fail "the installer failed ($?)"; }
wait_for() {  # $1 seconds for the shell condition $2
  local i
  for i in $(seq 1 $(($1 * 10))); do eval "$2" && return 0; sleep 0.1; done
  fail "waited in vain for: $2"
}
saved_state() { (cd "$APP" && find tessara.ini tswin.ini settings -type f | sort | xargs sha256sum); }

install
for f in tessara.exe TESSARA.DLL README.txt LICENSES.txt uninstall.exe; do [ -f "$APP/$f" ] || fail "no $f"; done
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

# Started through the shortcut, the installed copy keeps its files beside itself.
wine start "$WIN_LINK" </dev/null >/dev/null 2>&1
[ -n "$(panel_window)" ] || fail "the shortcut did not start Tessara"
[ -d "$APP/settings" ] || fail "the started copy is not the installed one"
PF="$APP" panel_key alt+n
wait_tessaras 1

install  # over the running copy: it is asked to exit, saves, and the install goes on
[ -z "$(xdotool search --name '^Tessarav' 2>/dev/null)" ] || fail "the running copy did not exit"
expect_eq "$(ini_value "$APP/tessara.ini" tsCount)" 1 "tessaras saved by the exit"
before=$(saved_state)
install  # over saved tiles
expect_eq "$(saved_state)" "$before" "settings after an install over them"

cp "$LINK" "$STARTUP_LINK"
wine "$APP/uninstall.exe" /S </dev/null >/dev/null 2>&1
wait_for 30 '[ ! -e "$APP/uninstall.exe" ]'
for f in "$APP/tessara.exe" "$APP/TESSARA.DLL" "$LINK" "$STARTUP_LINK"; do [ ! -e "$f" ] || fail "$f is left"; done
! wine reg query "$KEY" </dev/null >/dev/null 2>&1 || fail "the Uninstall entry is left"
expect_eq "$(saved_state)" "$before" "settings after a silent uninstall"

# Interactively the user may remove the tiles too.
install
wine "$APP/uninstall.exe" </dev/null >/dev/null 2>&1 &
box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tessara Uninstall$' | head -n 1)
xdotool windowfocus --sync "$box" key y
wait_for 30 '[ ! -e "$APP" ]'
echo "ok"

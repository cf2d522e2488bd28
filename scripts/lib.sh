# Shared by run.sh and test.sh: packages, a private X server and a Wine prefix.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

# Debian packages the builds, the tests, the screenshots and the release files need. libx11-dev
# builds the end-to-end checks' X drag source, which drops files on a window as a file manager
# does; nsis makes the installer, python3-jsonschema and python3-yaml check the manifests,
# osslsigncode and openssl sign the release files in a check with a certificate of its own.
PACKAGES=(cmake make g++ g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine64 xvfb xdotool x11-apps imagemagick googletest libgtest-dev libgmock-dev
          libbenchmark-dev python3 libx11-dev clang libclang-rt-14-dev
          nsis zip python3-jsonschema python3-yaml osslsigncode openssl)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
  local missing=()
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
  fi
}

# Starts a private Xvfb on a free display; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local n
  for n in $(seq $((90 + $$ % 100)) 299); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
  done
  echo "Could not start Xvfb" >&2
  return 1
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

# Makes the Wine prefix $WINEPREFIX if needed and starts a warm, persistent wine server.
# A DPI given makes a new prefix's screen run at that scale (read by every later process).
prepare_wine() {
  local dpi=${1:-}
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # Without a window manager: no 2 s stalls on hiding dialogs, keys reach unfocused windows.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A crash must end the test, not wait on a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    [ -n "$dpi" ] && wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    # A running server ignores -p: let the set-up's own server end first.
    wineserver -w
  fi
  wineserver -p
  # The first process starts background services that inherit its output: not through a pipe.
  wine reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  true
}

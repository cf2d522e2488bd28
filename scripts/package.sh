#!/usr/bin/env bash
# Makes the release files from a Windows build (run scripts/test.sh or scripts/run.sh first):
#   dist/Tessara-<version>-win64.zip    the portable program, reproducible byte for byte
#   dist/Tessara-<version>-setup.exe    the per-user installer (NSIS)
#   dist/SHA256SUMS
#   dist/manifests/                     winget and Scoop manifests (with --url-base)
# Usage: scripts/package.sh [--url-base URL] [--homepage URL] [--license TEXT]
#                           [--sign-command CMD] [--build DIR] [--out DIR]
# URL is where the two release files will be downloaded from (the manifests name
# URL/<file>); the project has no published address yet, so it is given here.
# CMD signs one file in place: a shell command run for tessara.exe, TESSARA.DLL, the uninstaller
# and the installer with the file's path in place of %1 (quote it: "%1") or, without a %1,
# added at the end in double quotes. E.g. --sign-command 'signtool sign /fd SHA256 /a', or a
# script around osslsigncode, which writes a new file.
# Without it the files are unsigned and the same byte for byte from the same commit.
# --version V (four numbers) stands in for the build's version: for test builds only.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"

URL_BASE=""
HOMEPAGE=""
LICENSE_TEXT="Proprietary"
BUILD_DIR="$ROOT/build/windows"
OUT="$ROOT/dist"
SIGN_COMMAND=""
VERSION=""
while [ $# -gt 0 ]; do
  case "$1" in
    --url-base) URL_BASE="${2%/}"; shift 2 ;;
    --homepage) HOMEPAGE="$2"; shift 2 ;;
    --license) LICENSE_TEXT="$2"; shift 2 ;;
    --build) BUILD_DIR="$2"; shift 2 ;;
    --out) OUT="$2"; shift 2 ;;
    --sign-command) SIGN_COMMAND="$2"; shift 2 ;;
    --version) VERSION="$2"; shift 2 ;;
    *) echo "package.sh: unknown argument '$1' (see the usage at the top of the script)" >&2; exit 2 ;;
  esac
done
HOMEPAGE="${HOMEPAGE:-$URL_BASE}"

die() { echo "package.sh: $*" >&2; exit 1; }
[ -d "$BUILD_DIR" ] || die "no build folder $BUILD_DIR: build the windows preset first"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)

BIN="$BUILD_DIR/bin"
for f in tessara.exe TESSARA.DLL; do
  [ -f "$BIN/$f" ] || die "$BIN/$f is missing: build the windows preset first"
done
VERSION=${VERSION:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")}
[ -n "$VERSION" ] || die "no project version in $BUILD_DIR/CMakeCache.txt"
command -v makensis >/dev/null || die "makensis is missing (Debian package nsis)"

ZIP_NAME="Tessara-$VERSION-win64.zip"
SETUP_NAME="Tessara-$VERSION-setup.exe"
WORK=$(mktemp -d "$OUT/.package.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# What a release holds: the program, its icon library, the user's README and the licence
# texts of the runtime linked into tessara.exe. Texts get Windows line ends.
STAGE="$WORK/stage"
mkdir -p "$STAGE/licenses"
cp "$BIN/tessara.exe" "$BIN/TESSARA.DLL" "$STAGE/"
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
crlf "$ROOT/docs/release/README.txt" "$STAGE/README.txt"
crlf "$ROOT/docs/release/LICENSES.txt" "$STAGE/LICENSES.txt"
crlf /usr/share/doc/gcc-mingw-w64-base/copyright "$STAGE/licenses/gcc-runtime.txt"
crlf /usr/share/doc/mingw-w64-common/copyright "$STAGE/licenses/mingw-w64-runtime.txt"
crlf /usr/share/common-licenses/GPL-3 "$STAGE/licenses/GPL-3.txt"

SIGN_DEFINE=()
if [ -n "$SIGN_COMMAND" ]; then
  [[ $SIGN_COMMAND == *%1* ]] || SIGN_COMMAND+=' "%1"'
  for f in tessara.exe TESSARA.DLL; do
    sh -c "${SIGN_COMMAND//%1/$STAGE/$f}" || die "signing $f failed"
  done
  SIGN_DEFINE=(-DSIGN_COMMAND="$SIGN_COMMAND")  # makensis puts in %1 itself
fi

# The same commit gives the same zip: entries in a fixed order, one fixed time (the
# commit's), fixed modes, no extra fields, no directory entries, a fixed time zone.
STAMP="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 946684800)}"
find "$STAGE" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$STAGE" -exec touch -h -d "@$STAMP" {} +
(cd "$STAGE" && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
   TZ=UTC zip -X -D -9 -q "$WORK/$ZIP_NAME" -@) || die "zip failed"

SIZE_KB=$(( ($(cat "$STAGE"/*.* "$STAGE"/licenses/* | wc -c) + 1023) / 1024 ))
makensis -V2 -NOCD -DVERSION="$VERSION" -DSTAGE="$STAGE" -DSIZE_KB="$SIZE_KB" "${SIGN_DEFINE[@]}" \
  -DICON="$BUILD_DIR/res/icons/tessara.ico" -DOUTFILE="$WORK/$SETUP_NAME" \
  "$ROOT/scripts/tessara.nsi" >"$WORK/makensis.log" 2>&1 ||
  { cat "$WORK/makensis.log" >&2; die "makensis failed"; }

# Only whole files reach dist/.
mv -f "$WORK/$ZIP_NAME" "$WORK/$SETUP_NAME" "$OUT/"
(cd "$OUT" && sha256sum "$ZIP_NAME" "$SETUP_NAME" >"$WORK/SHA256SUMS") && mv -f "$WORK/SHA256SUMS" "$OUT/"
sha_of() { awk -v f="$1" '$2 == f { print $1 }' "$OUT/SHA256SUMS"; }

if [ -z "$URL_BASE" ]; then
  echo "No --url-base: the manifests were not written."
else
  MAN="$WORK/manifests"
  mkdir -p "$MAN/winget" "$MAN/scoop"
  ID="Tessara.Tessara"
  quoted() { printf "'%s'" "${1//\'/\'\'}"; }  # a YAML single-quoted scalar
  DESC="A desktop launcher: up to sixteen floating windows of tiles that start programs, documents and drives."
  head="PackageIdentifier: $ID
PackageVersion: $VERSION"
  tail="ManifestVersion: 1.10.0"
  cat >"$MAN/winget/$ID.yaml" <<EOF
$head
DefaultLocale: en-US
ManifestType: version
$tail
EOF
  cat >"$MAN/winget/$ID.installer.yaml" <<EOF
$head
InstallerType: nullsoft
Scope: user
InstallModes:
  - interactive
  - silent
UpgradeBehavior: install
InstallationMetadata:
  DefaultInstallLocation: '%LOCALAPPDATA%\Programs\Tessara'
AppsAndFeaturesEntries:
  - DisplayName: Tessara
    Publisher: Tessara developers
    DisplayVersion: '$VERSION'
    ProductCode: Tessara
    InstallerType: nullsoft
Installers:
  - Architecture: x64
    InstallerUrl: $URL_BASE/$SETUP_NAME
    InstallerSha256: $(sha_of "$SETUP_NAME" | tr a-f A-F)
ManifestType: installer
$tail
EOF
  cat >"$MAN/winget/$ID.locale.en-US.yaml" <<EOF
$head
PackageLocale: en-US
Publisher: Tessara developers
PackageName: Tessara
License: $(quoted "$LICENSE_TEXT")
ShortDescription: $(quoted "$DESC")
PackageUrl: $(quoted "$HOMEPAGE")
ManifestType: defaultLocale
$tail
EOF
  # Scoop links persisted files into the program folder as hard links, and Tessara saves by
  # replacing its files, which parts the two names: before an update or an uninstall the
  # program folder's INI files are copied back to the persisted ones. A persisted item that
  # does not exist yet becomes a folder unless a file is there first.
  python3 - "$MAN/scoop/tessara.json" "$VERSION" "$DESC" "$HOMEPAGE" "$LICENSE_TEXT" \
    "$URL_BASE/$ZIP_NAME" "$(sha_of "$ZIP_NAME")" <<'PY'
import json, sys
out, version, desc, homepage, license_text, url, sha = sys.argv[1:]
ini = "foreach ($f in 'tessara.ini', 'tswin.ini') { "
manifest = {
    "version": version, "description": desc, "homepage": homepage, "license": license_text,
    "architecture": {"64bit": {"url": url, "hash": sha}},
    "bin": "tessara.exe",
    "shortcuts": [["tessara.exe", "Tessara"]],
    "persist": ["tessara.ini", "tswin.ini", "settings"],
    "pre_install": ini + "if (!(Test-Path \"$persist_dir\\$f\")) { New-Item \"$dir\\$f\" -ItemType File | Out-Null } }",
    "pre_uninstall": ini + "if (Test-Path \"$dir\\$f\") { [IO.File]::WriteAllBytes(\"$persist_dir\\$f\", [IO.File]::ReadAllBytes(\"$dir\\$f\")) } }",
}
with open(out, "w", newline="\n") as f:
    json.dump(manifest, f, indent=4)
    f.write("\n")
PY
  rm -rf "$OUT/manifests"
  mv "$MAN" "$OUT/manifests"
fi

echo "Release files in $OUT:"
(cd "$OUT" && find . -type f ! -path './.package*' | LC_ALL=C sort | xargs ls -l | awk '{ printf "  %10d  %s\n", $5, $9 }')

#!/usr/bin/env bash
# Makes the release files from a Windows build (run scripts/test.sh or scripts/run.sh first):
#   dist/Tessara-<version>-win64.zip    the portable program, reproducible byte for byte
#   dist/Tessara-<version>-setup.exe    the per-user installer (NSIS)
#   dist/SHA256SUMS
#   dist/manifests/                     winget and Scoop manifests (with --url-base)
# Usage: scripts/package.sh [--url-base URL --homepage URL [--release-notes URL]]
#                           [--license TEXT] [--sign-command CMD] [--build DIR] [--out DIR]
# --url-base is where the release files and SHA256SUMS will be downloaded from (the
# manifests name URL/<file>; a version in it names a version folder, which Scoop's
# autoupdate follows). --homepage is the project's page, the package's and the publisher's
# page in the manifests; --release-notes is where CHANGELOG.md can be read (by default
# HOMEPAGE/CHANGELOG.md). The project has no published address yet, so these are given here.
# The names the installer writes and the manifests repeat are in res/release.nsh.
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
RELEASE_NOTES=""
LICENSE_TEXT="Proprietary"
BUILD_DIR="$ROOT/build/windows"
OUT="$ROOT/dist"
SIGN_COMMAND=""
VERSION=""
while [ $# -gt 0 ]; do
  case "$1" in
    --url-base) URL_BASE="${2%/}"; shift 2 ;;
    --homepage) HOMEPAGE="${2%/}"; shift 2 ;;
    --release-notes) RELEASE_NOTES="$2"; shift 2 ;;
    --license) LICENSE_TEXT="$2"; shift 2 ;;
    --build) BUILD_DIR="$2"; shift 2 ;;
    --out) OUT="$2"; shift 2 ;;
    --sign-command) SIGN_COMMAND="$2"; shift 2 ;;
    --version) VERSION="$2"; shift 2 ;;
    *) echo "package.sh: unknown argument '$1' (see the usage at the top of the script)" >&2; exit 2 ;;
  esac
done
die() { echo "package.sh: $*" >&2; exit 1; }
# The project's page is never the download folder: manifests with an address need both.
[ -z "$URL_BASE" ] || [ -n "$HOMEPAGE" ] || die "--url-base needs --homepage (the project's page)"
RELEASE_NOTES="${RELEASE_NOTES:-$HOMEPAGE/CHANGELOG.md}"
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
PRERELEASE=$(sed -n 's/^#define TESSARA_PRERELEASE //p' "$BUILD_DIR/generated/version.h")
[ -n "$PRERELEASE" ] || die "no release stage in $BUILD_DIR/generated/version.h: configure the build again"
release() { sed -n "s/^!define $1 \"\(.*\)\"\$/\1/p" "$ROOT/res/release.nsh"; }
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
  NAME=$(release PRODUCT_NAME)
  PUBLISHER=$(release PUBLISHER)
  # A pre-release goes out under its own identifier, so that no one who installed a release
  # is upgraded to it; its moniker differs too, as each package has its own.
  ID=$(release PACKAGE_ID)
  MONIKER=tessara
  [ "$PRERELEASE" = 0 ] || { ID="$ID.Beta"; MONIKER=tessara-beta; }
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
  # winget hands a nullsoft installer /S in both silent modes and shows its own progress.
  # ProductCode is the name of the Uninstall key the installer writes: winget finds an
  # installed copy by it and reads the rest of the entry from there.
  cat >"$MAN/winget/$ID.installer.yaml" <<EOF
$head
InstallerType: nullsoft
Scope: user
InstallModes:
  - interactive
  - silent
  - silentWithProgress
ExpectedReturnCodes:
  - InstallerReturnCode: $(release EXIT_IN_USE)
    ReturnResponse: packageInUse
UpgradeBehavior: install
ProductCode: $(quoted "$(release UNINST_NAME)")
InstallationMetadata:
  DefaultInstallLocation: '%LOCALAPPDATA%\Programs\Tessara'
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
Publisher: $(quoted "$PUBLISHER")
PublisherUrl: $(quoted "$HOMEPAGE")
PackageName: $(quoted "$NAME")
PackageUrl: $(quoted "$HOMEPAGE")
License: $(quoted "$LICENSE_TEXT")
ShortDescription: $(quoted "$DESC")
Moniker: $MONIKER
Tags:
  - launcher
  - desktop
  - tiles
  - shortcuts
  - productivity
ReleaseNotesUrl: $(quoted "$RELEASE_NOTES")
ManifestType: defaultLocale
$tail
EOF
  # Scoop persists a folder as a junction, which survives Tessara replacing the files in it;
  # a persisted file would be a hard link, which that replacing parts from the persisted
  # name. So only the settings folder is persisted, and the two INI files are copied: into
  # the persist folder before an update or an uninstall, back after an install.
  python3 - "$MAN/scoop/tessara.json" "$VERSION" "$DESC" "$HOMEPAGE" "$LICENSE_TEXT" \
    "$URL_BASE" "$ZIP_NAME" "$(sha_of "$ZIP_NAME")" <<'PY'
import json, sys
out, version, desc, homepage, license_text, url_base, zip_name, sha = sys.argv[1:]
def copy(src, dst):  # one plain line a file
    return [f'if (Test-Path "${src}\\{f}") {{ Copy-Item "${src}\\{f}" "${dst}\\{f}" -Force }}'
            for f in ("tessara.ini", "tswin.ini")]
# A version in the address names a version folder: the next version's files are in the
# next one, and the folder above lists them.
listing = url_base.split(version)[0].rsplit("/", 1)[0] if version in url_base else url_base
manifest = {
    "version": version, "description": desc, "homepage": homepage, "license": license_text,
    "architecture": {"64bit": {"url": f"{url_base}/{zip_name}", "hash": sha}},
    "bin": "tessara.exe",
    "shortcuts": [["tessara.exe", "Tessara"]],
    "persist": "settings",
    "post_install": copy("persist_dir", "dir"),
    "pre_uninstall": copy("dir", "persist_dir"),
    "checkver": {"url": listing,
                 "regex": zip_name.replace(version, "([\\d.]+)").replace(".zip", "\\.zip")},
    "autoupdate": {
        "architecture": {"64bit": {"url": f"{url_base}/{zip_name}".replace(version, "$version")}},
        "hash": {"url": "$baseurl/SHA256SUMS"}},
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

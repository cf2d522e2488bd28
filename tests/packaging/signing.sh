#!/usr/bin/env bash
# Release files signed through package.sh --sign-command with a throw-away self-signed
# certificate: every program file carries a signature that verifies against it; signed twice
# at one signing time the release is the same byte for byte, and another time changes only
# the signatures.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Tessara test" -days 2 \
  -keyout "$T/key.pem" -out "$T/cert.pem" 2>/dev/null
release() {  # $1: the folder, $2: the signing time (the only varying part of a signature)
  mkdir -p "$T/$1/signed"  # a copy of each file signed: the uninstaller is seen only here
  bash "$ROOT/scripts/package.sh" --out "$T/$1" --sign-command "osslsigncode sign -certs $T/cert.pem \
    -key $T/key.pem -h sha256 -time $2 -in \"%1\" -out \"%1.signed\" >/dev/null && mv \"%1.signed\" \"%1\" &&
    cp \"%1\" $T/$1/signed/" >/dev/null
  python3 -m zipfile -e "$T/$1"/Tessara-*.zip "$T/$1/zip"
}
release a 1700000000
release b 1700000000
release c 1700000001
[ "$(ls "$T/a/signed" | wc -l)" = 4 ] || { echo "FAIL: signed: $(ls "$T/a/signed")" >&2; exit 1; }
for f in "$T"/a/zip/*.{exe,DLL} "$T"/a/Tessara-*.exe "$T"/a/signed/*; do
  osslsigncode verify -CAfile "$T/cert.pem" -in "$f" | grep -qx 'Signature verification: ok' ||
    { echo "FAIL: $(basename "$f") carries no valid signature" >&2; exit 1; }
done
for f in "$T"/a/Tessara-*; do cmp "$f" "${f/\/a\//\/b\/}"; done
for f in tessara.exe TESSARA.DLL; do
  ! cmp -s "$T/a/zip/$f" "$T/c/zip/$f" || { echo "FAIL: $f: the signing time changed nothing" >&2; exit 1; }
  osslsigncode remove-signature -in "$T/a/zip/$f" -out "$T/a/$f" >/dev/null
  osslsigncode remove-signature -in "$T/c/zip/$f" -out "$T/c/$f" >/dev/null
  cmp "$T/a/$f" "$T/c/$f"
done
echo "ok: the release files are signed, and only their signatures differ between signings"

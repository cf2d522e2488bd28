#!/usr/bin/env bash
# Releases signed through package.sh --sign-command with a throw-away certificate: every program file, the
# uninstaller too, verifies; one signing time gives the same release, another changes only signatures.
set -euo pipefail
T=$(mktemp -d); trap 'rm -rf "$T"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=Test -keyout "$T/key" -out "$T/cert" 2>/dev/null
release() {  # into folder $1 at signing time $2; a copy of each file as signed goes to $T/$1.<name>
  bash "$(dirname "$0")/../../scripts/package.sh" --out "$T/$1" --sign-command "osslsigncode sign -certs $T/cert \
    -key $T/key -time $2 -in '%1' -out '%1.s' >/dev/null && mv '%1.s' '%1' && cp '%1' $T/$1.\$(basename '%1')" >/dev/null
  python3 -m zipfile -e "$T/$1"/Tessara-*.zip "$T/$1/zip"
}
release a 1700000000; release b 1700000000; release c 1700000001
[ "$(ls "$T"/a.* | wc -l)" = 4 ] || { echo "FAIL: signed: $(ls "$T"/a.*)" >&2; exit 1; }
for f in "$T"/a/zip/*.{exe,DLL} "$T"/a/*.exe "$T"/a.*; do
  osslsigncode verify -CAfile "$T/cert" "$f" | grep -qx 'Signature verification: ok' || { echo "FAIL: $f" >&2; exit 1; }
done
for f in "$T"/a/Tessara-*; do cmp "$f" "${f/\/a\//\/b\/}"; done
for f in tessara.exe TESSARA.DLL; do
  ! cmp -s "$T/a/zip/$f" "$T/c/zip/$f" || { echo "FAIL: $f: the signing time changed nothing" >&2; exit 1; }
  for r in a c; do osslsigncode remove-signature "$T/$r/zip/$f" "$T/$r/$f" >/dev/null; done
  cmp "$T/a/$f" "$T/c/$f"
done
echo "ok: the release files are signed, and only their signatures differ between signings"

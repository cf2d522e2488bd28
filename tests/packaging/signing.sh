#!/usr/bin/env bash
# Release files signed through package.sh --sign-command with a throw-away certificate: each
# program file, the uninstaller too, carries a signature that verifies against it; signed twice
# at one signing time the release is the same byte for byte, at another only signatures differ.
set -euo pipefail
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=Test -keyout "$T/key" -out "$T/cert" 2>/dev/null
release() {  # into folder $1 at signing time $2; a copy of each file signed goes to $1/signed
  mkdir -p "$T/$1/signed"
  bash "$(dirname "$0")/../../scripts/package.sh" --out "$T/$1" --sign-command "osslsigncode sign \
    -certs $T/cert -key $T/key -time $2 -in '%1' -out '%1.s' >/dev/null && mv '%1.s' '%1' && cp '%1' $T/$1/signed" >/dev/null
  python3 -m zipfile -e "$T/$1"/Tessara-*.zip "$T/$1/zip"
}
release a 1700000000; release b 1700000000; release c 1700000001
[ "$(ls "$T/a/signed" | wc -l)" = 4 ] || fail "signed: $(ls "$T/a/signed")"
for f in "$T"/a/zip/*.{exe,DLL} "$T"/a/*.exe "$T"/a/signed/*; do
  osslsigncode verify -CAfile "$T/cert" "$f" | grep -qx 'Signature verification: ok' || fail "$f: no valid signature"
done
for f in "$T"/a/Tessara-*; do cmp "$f" "${f/\/a\//\/b\/}"; done
for f in tessara.exe TESSARA.DLL; do
  ! cmp -s "$T/a/zip/$f" "$T/c/zip/$f" || fail "$f: the signing time changed nothing"
  for r in a c; do osslsigncode remove-signature "$T/$r/zip/$f" "$T/$r/$f" >/dev/null; done
  cmp "$T/a/$f" "$T/c/$f"
done
echo "ok: the release files are signed, and only their signatures differ between signings"

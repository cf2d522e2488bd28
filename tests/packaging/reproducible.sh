#!/usr/bin/env bash
# The same commit gives the same release files, byte for byte, also from a second clean
# build in another folder. Needs dist/ from scripts/package.sh and DISPLAY and WINEPREFIX
# for the build (its icons are drawn by a Windows program).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
SECOND="$ROOT/build/second"
rm -rf "$SECOND"
cmake -S "$ROOT" -B "$SECOND/windows" --toolchain "$ROOT/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$SECOND/windows" -j"$(nproc)" --target tessara TESSARA >/dev/null
bash "$ROOT/scripts/package.sh" --build "$SECOND/windows" --out "$SECOND/dist" >/dev/null
for f in "$ROOT"/dist/Tessara-*; do
  cmp "$f" "$SECOND/dist/$(basename "$f")"
done
echo "ok: the release files are the same from two builds"

#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test layer:
# native unit tests, short fuzz runs, Win32 tests under Wine on a private Xvfb, the release files
# (zip, installer, manifests) with their checks, and end-to-end checks, the installer's among them.
# Ends with the line "N passed, M failed" over all layers.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

ensure_packages || { echo "package installation failed"; exit 1; }

PASSED=0
FAILED=0
LOGS="$BUILD/test-logs"
mkdir -p "$LOGS"

cleanup() {
  stop_wine
  stop_xvfb
}
trap cleanup EXIT

# Adds the counts of a ctest log to the totals.
count_ctest() {
  local log=$1 line total failed
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "no test summary in $log"
    FAILED=$((FAILED + 1))
    return
  fi
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  PASSED=$((PASSED + total - failed))
  FAILED=$((FAILED + failed))
}

# Configures and builds a preset; on failure shows the logs and counts one failure.
build_preset() {
  local preset=$1 start
  echo "== $preset build"
  start=$(date +%s)
  if cmake --preset "$preset" >"$LOGS/$preset-configure.log" 2>&1 &&
     cmake --build --preset "$preset" -j"$(nproc)" >"$LOGS/$preset-build.log" 2>&1; then
    echo "   built in $(( $(date +%s) - start )) s"
    return 0
  fi
  echo "$preset build failed:"; tail -n 40 "$LOGS/$preset-build.log" "$LOGS/$preset-configure.log"
  FAILED=$((FAILED + 1))
  return 1
}

# Runs a preset's tests with ctest (extra arguments passed on) and adds up the counts.
run_ctest() {
  local preset=$1 log="$LOGS/${CTEST_LOG:-$1}-tests.log"
  shift
  ctest --preset "$preset" "$@" >"$log" 2>&1
  grep -E 'tests passed|\*\*\*Failed|\*\*\*Timeout|Exception' "$log"
  count_ctest "$log"
}

if build_preset native; then
  echo "== native tests"
  run_ctest native -j"$(nproc)" --timeout 120
fi

echo "== fuzz targets, a few seconds each from the checked-in seeds"
FUZZ_WORK=$(mktemp -d)
FUZZ_WORK="$FUZZ_WORK" bash "$ROOT/scripts/fuzz.sh" "${FUZZ_SECONDS:-8}" >"$LOGS/fuzz.log" 2>&1
cat "$LOGS/fuzz.log"
fuzz_passed=$(grep -c '^   passed: ' "$LOGS/fuzz.log")
fuzz_failed=$(grep -c '^   FAILED: ' "$LOGS/fuzz.log")
PASSED=$((PASSED + fuzz_passed))
# A build that failed runs nothing: that is one failure.
FAILED=$((FAILED + fuzz_failed + (fuzz_passed + fuzz_failed == 0 ? 1 : 0)))
rm -rf "$FUZZ_WORK"

echo "== Wine on a private X server"
start_xvfb || { echo "0 passed, $((FAILED + 1)) failed"; exit 1; }
export WINEPREFIX="$BUILD/wine-test"
rm -rf "$WINEPREFIX"
prepare_wine

if build_preset windows; then
  echo "== Win32 tests under Wine"
  # One Wine server serves every test; in parallel they would fight over the X focus.
  # The hand-off check runs below, once the 144-dpi run has left its folder.
  run_ctest windows --timeout 180 -E DpiHandoff

  echo "== Win32 tests at 144 dpi"
  # A second prefix whose screen runs at 150 %: the scale set before its server starts.
  HANDOFF="$BUILD/dpi-handoff"
  rm -rf "$HANDOFF" "$BUILD/wine-test-144"
  mkdir -p "$HANDOFF"
  stop_wine
  WINEPREFIX="$BUILD/wine-test-144" prepare_wine 144
  TESSARA_DPI_HANDOFF="Z:$HANDOFF" WINEPREFIX="$BUILD/wine-test-144" CTEST_LOG=windows-144 \
    run_ctest windows --timeout 180 -R 'DpiWin32Test|ProgramManifest' -E DpiHandoff
  WINEPREFIX="$BUILD/wine-test-144" stop_wine
  prepare_wine
  echo "== a start at 96 dpi from the caches made at 144"
  TESSARA_DPI_HANDOFF="Z:$HANDOFF" CTEST_LOG=windows-handoff run_ctest windows --timeout 180 -R DpiHandoff

  echo "== release files"
  # The addresses are stand-ins: the manifests are checked here, not published.
  for check in "package:bash scripts/package.sh --url-base https://example.invalid/tessara/download --homepage https://example.invalid/tessara" \
               "manifests:python3 tests/packaging/manifests_test.py dist" \
               "reproducible:bash tests/packaging/reproducible.sh" \
               "signing:bash tests/packaging/signing.sh"; do
    name=${check%%:*}
    # shellcheck disable=SC2086  # the command's words are split on purpose
    if timeout 1200 ${check#*:} >"$LOGS/release-$name.log" 2>&1; then
      echo "   passed: $name"
      PASSED=$((PASSED + 1))
    else
      echo "   FAILED: $name"; tail -n 20 "$LOGS/release-$name.log" | sed 's/^/      /'
      FAILED=$((FAILED + 1))
    fi
  done
  ls -l dist/Tessara-* | awk '{ printf "   %10d  %s\n", $5, $9 }'

  echo "== end-to-end checks"
  for check in "$ROOT"/tests/e2e/*.sh; do
    [ -e "$check" ] || continue
    case "$check" in *_lib.sh) continue ;; esac
    name=$(basename "$check" .sh)
    if timeout 300 bash "$check" >"$LOGS/e2e-$name.log" 2>&1; then
      echo "   passed: $name"
      PASSED=$((PASSED + 1))
    else
      echo "   FAILED: $name"; tail -n 20 "$LOGS/e2e-$name.log" | sed 's/^/      /'
      FAILED=$((FAILED + 1))
    fi
    wineserver -k 2>/dev/null; prepare_wine
  done
fi

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]

#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for a while.
#   scripts/fuzz.sh [seconds per target] [target name...]
# Each run starts from the checked-in seeds; new inputs go to build/fuzz/corpus/<target>
# (kept between runs), or below $FUZZ_WORK when set, never into the checked-in corpus. A finding is saved under
# build/fuzz/findings/<target>/ and makes the script end non-zero.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

SECONDS_EACH=${1:-600}
shift || true
FUZZ_BUILD="$BUILD/fuzz"
SEEDS="$ROOT/tests/fuzz/corpus"

command -v clang++ >/dev/null || { echo "clang++ is missing (see PACKAGES in scripts/lib.sh)"; exit 2; }
echo "== fuzz build"
if ! { cmake -S tests/fuzz -B "$FUZZ_BUILD" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         >"$FUZZ_BUILD.configure.log" 2>&1 &&
       cmake --build "$FUZZ_BUILD" -j"$(nproc)" >"$FUZZ_BUILD.build.log" 2>&1; }; then
  echo "fuzz build failed:"; tail -n 40 "$FUZZ_BUILD.configure.log" "$FUZZ_BUILD.build.log" 2>/dev/null
  exit 2
fi

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for src in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

failed=0
for target in "${targets[@]}"; do
  work="${FUZZ_WORK:-$FUZZ_BUILD/corpus}/$target"
  findings="$FUZZ_BUILD/findings/$target"
  mkdir -p "$work" "$findings"
  log="$FUZZ_BUILD/$target.log"
  # The first corpus folder receives new inputs; the seeds are only read.
  "$FUZZ_BUILD/$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$work" "$SEEDS/$target" >"$log" 2>&1
  rc=$?
  runs=$(grep -E '^stat::number_of_executed_units:' "$log" | awk '{print $2}')
  if [ "$rc" -eq 0 ]; then
    echo "   passed: $target (${runs:-?} runs in $SECONDS_EACH s)"
  else
    echo "   FAILED: $target (exit $rc after ${runs:-?} runs); inputs in $findings"
    grep -E 'ERROR:|runtime error|property failed|SUMMARY' "$log" | head -n 5 | sed 's/^/      /'
    failed=$((failed + 1))
  fi
done
[ "$failed" -eq 0 ]

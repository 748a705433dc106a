#!/usr/bin/env bash
# Builds the decoder fuzzers with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for a while, seeded
# with the decoder fixtures and the shared test images. Exits non-zero when
# any fuzzer finds a crash, a leak or a broken promise; the input that did it
# is left in build-fuzz/artifacts/.
# Usage: tools/fuzz.sh [seconds per fuzzer, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${TILVANE_FUZZ_SECONDS:-30}}
build=build-fuzz
images=../shared/testimages

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTILVANE_FUZZ=ON -DTILVANE_TESTS=OFF -DTILVANE_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzzers

seeds_for() {
  case "$1" in
    bmp) echo "$images/bmpsuite" ;;
    gif) echo "$images/gif-test-suite/gifs" ;;
    picture) echo "$images/bmpsuite $images/gif-test-suite/gifs" ;;
    *) echo "" ;;
  esac
}

status=0
for harness in bmp jpeg icon gif pcx picture; do
  corpus="$build/corpus/$harness"
  artifacts="$build/artifacts/$harness/"
  mkdir -p "$corpus" "$artifacts"
  seeds=(tests/fixtures/decode)
  for dir in $(seeds_for "$harness"); do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  echo "== fuzz_$harness for ${seconds}s"
  if ! "$build/fuzz/fuzz_$harness" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=25 \
      -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" "${seeds[@]}" \
      >"$build/fuzz_$harness.log" 2>&1; then
    echo "fuzz_$harness FAILED; see $build/fuzz_$harness.log and $artifacts" >&2
    tail -n 40 "$build/fuzz_$harness.log" >&2
    status=1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$build/fuzz_$harness.log" || true
done
exit $status

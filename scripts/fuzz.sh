#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for SECONDS on a scratch copy of
# its seed corpus (fuzz/corpus/<target>/), every fuzz_* target when none is
# named. Prints executions and coverage per target; fails when a target
# finds a crash, leaving the input that crashed it in build-fuzz/crashes/.
#   bash scripts/fuzz.sh SECONDS [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTALLOWGATE_FUZZ=ON -DTALLOWGATE_BENCH=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(cmake --build build-fuzz --target help | grep -o '\bfuzz_[a-z0-9_]*' | sort -u)
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz.sh: no fuzz_* target in build-fuzz" >&2
  exit 1
fi
cmake --build build-fuzz -j"$jobs" --target "${targets[@]}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/crashes
failed=0
printf '%-24s %12s %8s %8s %s\n' target executions coverage features result
for target in "${targets[@]}"; do
  binary=$(find build-fuzz -type f -name "$target" -perm -u+x | head -n 1)
  if [ -z "$binary" ]; then
    echo "fuzz.sh: $target was not built" >&2
    failed=1
    continue
  fi
  corpus="$scratch/$target"
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$target" ] && cp -r "fuzz/corpus/$target/." "$corpus/"
  log="build-fuzz/$target.log"
  result=ok
  # The grid store may be sized for billions of values that a short dump never
  # touches: only a larger single allocation is a finding.
  if ! ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$binary" -max_total_time="$seconds" -rss_limit_mb=2560 -malloc_limit_mb=9000 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$target-" "$corpus" >"$log" 2>&1; then
    result="CRASH (see $log)"
    failed=1
  fi
  executions=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || echo '?')
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || echo '?')
  printf '%-24s %12s %8s %8s %s\n' "$target" "$executions" "$coverage" "$features" "$result"
done
exit $failed

#!/usr/bin/env bash
# Installs, builds, checks the sources (layering, formatting, clang-tidy) and
# runs every test: once in a normal build with warnings as errors, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs every fuzz target
# for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLOWGATE_DECODER=ON -DTALLOWGATE_BENCH=ON \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build build -j"$jobs"
bash scripts/check_sources.sh build
ctest --test-dir build --output-on-failure -j"$jobs"
bash scripts/check_install.sh build

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTALLOWGATE_SANITIZE=ON -DTALLOWGATE_BENCH=OFF \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
# Each fuzz target for a short while, under the same sanitizers.
bash scripts/fuzz.sh "${TALLOWGATE_FUZZ_SECONDS:-30}"
echo "all tests passed"

#!/usr/bin/env bash
# Builds the Windows program and runs its tests under Wine: the converter's
# unit tests and the Windows platform tests cross-built and run through the
# emulator, then, from the Linux build, the end-to-end suite and the
# whole-run comparison driving tallowgate.exe. Wine gets a prefix of its own,
# removed at the end, and one wineserver kept running for the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup_windows.sh
jobs=$(nproc)
top=$PWD
clock() { date +%s; }
lap() { echo "== $1: $(( $(clock) - $2 )) s"; }

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tallowgate-wine-XXXXXX")
export WINEPREFIX WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT

start=$(clock)
# The server first: wineboot would start one of its own, which ends when
# idle and makes every test pay Wine's start-up again.
wineserver -p
wineboot -i >/dev/null 2>&1
lap "Wine prefix" "$start"

start=$(clock)
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-win -j"$jobs"
lap "Windows build" "$start"

start=$(clock)
ctest --test-dir build-win --output-on-failure -j"$jobs"
lap "Windows unit and platform tests under Wine" "$start"

start=$(clock)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLOWGATE_DECODER=ON \
  -DTALLOWGATE_WINDOWS_BUILD="$top/build-win" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build -j"$jobs" --target tallowgate copy_decoder wgrib2 make_sample_products tallowgate_wine_e2e
lap "Linux side of the Wine tests, build" "$start"

start=$(clock)
ctest --test-dir build --output-on-failure -L windows
lap "End-to-end suite and whole-run comparison under Wine" "$start"
echo "windows tests passed"

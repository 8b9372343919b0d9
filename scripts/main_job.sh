#!/usr/bin/env bash
# Installs, builds, generates a sample download directory of the regional
# 2 m temperature forecast and converts it into its r2c file, with the
# project's decoder on PATH and a drive root inside the project folder; then checks the r2c file as a
# model reads it, sums up its frames and draws its last frame.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
top=$PWD
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLOWGATE_DECODER=ON >/dev/null
cmake --build build -j"$(nproc)" --target tallowgate wgrib2 make_sample_products r2c-look

sample=$top/sample
rm -rf "$sample"
work=$sample/GRIB2/regT/202508
build/tools/sample_data/make_sample_products regT "$work"
mkdir -p "$sample/drive/kestrano/CMC/regl"

echo "== tallowgate regT in $work"
status=0
(cd "$work" && PATH="$top/build:$PATH" TALLOWGATE_DRIVE="$sample/drive" "$top/build/tallowgate" regT </dev/null) ||
  status=$?
r2c=$sample/drive/kestrano/CMC/regl/regl_tmp.r2c
echo "== exit status $status; the r2c file is $r2c ($(grep -c '^:frame' "$r2c") frames)"
echo "== its header and the start of its first frame:"
sed -n '1,/^:frame/p' "$r2c"
sed -n '/^:frame/,$p' "$r2c" | sed -n '2,4p' | cut -c1-120
echo "== run report $sample/GRIB2/regT/runReport.txt:"
cat "$sample/GRIB2/regT/runReport.txt"

echo "== r2c-look check:"
build/r2c-look check "$r2c" || status=$?
echo "== r2c-look summary:"
build/r2c-look summary "$r2c" || status=$?
picture=$sample/regl_tmp_last.png
build/r2c-look png "$r2c" --last -o "$picture" >/dev/null || status=$?
echo "== the last frame drawn: $picture"
exit "$status"

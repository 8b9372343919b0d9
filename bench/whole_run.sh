#!/bin/bash
# Converts a product directory of national-grid files (935 x 824 values each,
# written as the decoder writes them) with the copying test decoder, and
# reports the run's time and peak memory beside the time the decoder alone
# takes for the same files.
#
#   bash bench/whole_run.sh [build-dir] [file-count]
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
count=${2:-24}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
drive=$scratch/drive
work=$scratch/top/GRIB2/regP/202508
mkdir -p "$drive/kestrano/CMC/regl" "$work"
cp "$build/copy_decoder" "$work/wgrib2"

# One dump: mostly dry cells, some missing points (9.999e+20), light to heavy rain.
awk 'BEGIN {
  srand(12345); print "935 824";
  for (n = 0; n < 935 * 824; n++) {
    r = rand();
    if (r < 0.55) print "0"; else if (r < 0.60) print "9.999e+20"; else { x = rand(); printf "%g\n", x * x * 60 }
  }
}' > "$scratch/dump.txt"
for ((i = 1; i <= count; i++)); do
  cp "$scratch/dump.txt" "$work/$(printf 'CMC_reg_APCP_SFC_0_ps10km_2025082400_P%03d.grib2' $((i * 3)))"
done

cd "$work"
start=$(date +%s.%N)
for f in *.grib2; do ./wgrib2 -text decoder_only.txt "$f" > /dev/null; done
rm -f decoder_only.txt
decoder_seconds=$(awk -v a="$(date +%s.%N)" -v b="$start" 'BEGIN { printf "%.2f", a - b }')

export TALLOWGATE_DRIVE=$drive
if [ -x /usr/bin/time ]; then
  /usr/bin/time -v -o "$scratch/time.txt" "$build/tallowgate" regP > "$scratch/console.txt" 2> "$scratch/errors.txt" 2> "$scratch/errors.txt"
  run_seconds=$(awk -F': ' '/Elapsed/ { split($2, t, ":"); print t[1] * 60 + t[2] }' "$scratch/time.txt")
  peak_kib=$(awk -F': ' '/Maximum resident/ { print $2 }' "$scratch/time.txt")
else
  start=$(date +%s.%N)
  "$build/tallowgate" regP > "$scratch/console.txt" 2> "$scratch/errors.txt"
  run_seconds=$(awk -v a="$(date +%s.%N)" -v b="$start" 'BEGIN { printf "%.2f", a - b }')
  peak_kib="(not measured: /usr/bin/time missing)"
fi

if [ "$(cat "$scratch/errors.txt")" != "Normal ending" ]; then cat "$scratch/errors.txt"; fi
frames=$(grep -c '^:frame' "$drive/kestrano/CMC/regl/regl_apcp.r2c" || true)
echo "files: $count of 935 x 824 values; frames written: $frames"
echo "whole run: ${run_seconds} s; the decoder alone on the same files: ${decoder_seconds} s"
echo "peak memory of the run: ${peak_kib} KiB"

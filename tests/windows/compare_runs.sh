#!/usr/bin/env bash
# Converts sample download directories of all 18 codes twice, with the Linux
# program and with the Windows program under Wine, and compares what the two
# runs leave: r2c files and run reports byte for byte, console and error
# stream after masking the clock lines, and exit status. The dumps are made
# once, on Linux, by the project's decoder; both runs get them from a copying
# decoder, so the two programs read the same bytes.
#
#   compare_runs.sh LINUX_TALLOWGATE LINUX_COPY_DECODER PROJECT_DECODER MAKE_SAMPLE_PRODUCTS WINDOWS_BUILD WINE
set -euo pipefail
linux_program=$(realpath "$1") linux_copy=$(realpath "$2") decoder=$(realpath "$3")
make_samples=$(realpath "$4") windows_build=$(realpath "$5") wine=$6
windows_program=$windows_build/tallowgate.exe
windows_copy=$windows_build/tests/windows/wgrib2.exe

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tallowgate-compare-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# Where the faketime package puts the library; its wrapper leaves a
# semaphore behind per call and fails once process ids come round again.
faketime_library=
for candidate in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
  if [ -e "$candidate" ]; then faketime_library=$candidate; break; fi
done
[ -n "$faketime_library" ] || { echo "no libfaketime.so.1 (install the faketime package)"; exit 1; }
clock="2025-08-24 12:30:45"

"$make_samples" all "$scratch/samples" 2 >/dev/null
codes=$(ls "$scratch/samples/GRIB2")
[ "$(echo "$codes" | wc -l)" = 18 ] || { echo "expected 18 sample codes, got: $codes"; exit 1; }

for side in linux windows; do
  for dir in CaPA RDPA RDPS_tmp regl RDPA_RLatLon regl_tmp glb glb_apcp glb_tmp hrdps; do
    mkdir -p "$scratch/$side/drive/kestrano/CMC/$dir"
  done
done

# Each sample file is replaced by its dump, which the copying decoder copies.
for code in $codes; do
  for side in linux windows; do mkdir -p "$scratch/$side/GRIB2/$code/202508"; done
  for grib in "$scratch/samples/GRIB2/$code/202508/"*.grib2; do
    name=$(basename "$grib")
    "$decoder" -text "$scratch/linux/GRIB2/$code/202508/$name" "$grib" >/dev/null
    cp "$scratch/linux/GRIB2/$code/202508/$name" "$scratch/windows/GRIB2/$code/202508/$name"
  done
  cp "$linux_copy" "$scratch/linux/GRIB2/$code/202508/wgrib2"
  cp "$windows_copy" "$scratch/windows/GRIB2/$code/202508/wgrib2.exe"
done

windows_drive="Z:$(echo "$scratch/windows/drive" | tr / '\\')"
mask_clock() { sed -E 's/^(    Info:   (runtime|rundate) +).*/\1<clock>/' "$1"; }

failed=0
for code in $codes; do
  work_linux=$scratch/linux/GRIB2/$code/202508
  work_windows=$scratch/windows/GRIB2/$code/202508
  linux_status=0
  (cd "$work_linux" && LD_PRELOAD=$faketime_library FAKETIME=$clock FAKETIME_DONT_RESET=1 NO_FAKE_STAT=1 TZ=UTC \
    TALLOWGATE_DRIVE=$scratch/linux/drive "$linux_program" "$code" </dev/null \
    >"$scratch/$code.linux.out" 2>"$scratch/$code.linux.err") || linux_status=$?
  windows_status=0
  (cd "$work_windows" && LD_PRELOAD=$faketime_library FAKETIME=$clock FAKETIME_DONT_RESET=1 NO_FAKE_STAT=1 TZ=UTC \
    FAKETIME_DONT_FAKE_MONOTONIC=1 WINEDEBUG=-all TALLOWGATE_DRIVE=$windows_drive \
    "$wine" "$windows_program" "$code" </dev/null \
    >"$scratch/$code.windows.out" 2>"$scratch/$code.windows.err") || windows_status=$?
  if [ "$linux_status" != "$windows_status" ]; then
    echo "$code: exit status $linux_status on Linux, $windows_status on Windows"
    failed=1
  fi
  for stream in out err; do
    if ! cmp -s <(mask_clock "$scratch/$code.linux.$stream") <(mask_clock "$scratch/$code.windows.$stream"); then
      echo "$code: standard $stream differs:"
      diff <(mask_clock "$scratch/$code.linux.$stream") <(mask_clock "$scratch/$code.windows.$stream") | head -20
      failed=1
    fi
  done
  echo "$code: exit status $linux_status on both"
done

# r2c files and run reports, byte for byte; the listing names its folder and
# the decoders differ by name, so they are left out.
if ! diff -r "$scratch/linux/drive" "$scratch/windows/drive" >"$scratch/drive.diff"; then
  echo "the r2c files differ:"; head -20 "$scratch/drive.diff"; failed=1
fi
if ! diff -r -x grib_list.txt -x wgrib2 -x wgrib2.exe -x tallowgate.lock \
  "$scratch/linux/GRIB2" "$scratch/windows/GRIB2" >"$scratch/reports.diff"; then
  echo "the run reports or working folders differ:"; head -20 "$scratch/reports.diff"; failed=1
fi
r2c_count=$(find "$scratch/linux/drive" -name '*.r2c' -size +0 | wc -l)
frames=$(find "$scratch/linux/drive" -name '*.r2c' -exec cat {} + | grep -c '^:frame' || true)
echo "compared $r2c_count non-empty r2c files holding $frames frames and the run reports of 18 codes"
# Two files per code, capa10 and capa15 writing one file: a run that lost
# frames on both sides alike would still be caught here.
[ "$r2c_count" = 17 ] && [ "$frames" -ge 34 ] || failed=1
exit $failed

#!/usr/bin/env bash
# Installs a finished build into a scratch tree and builds its Debian packages, then checks what lands
# where: the files of the installed tree, the manual pages, the installed programs running, and the
# files and fields of both packages.
#   bash scripts/check_install.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "check_install: $*" >&2
  failures=$((failures + 1))
}
# Compares the listing of a tree (or package) with the expected one.
same_list() {
  local what=$1 expected=$2 actual=$3
  if [ "$expected" != "$actual" ]; then
    fail "$what holds other files than expected"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
  fi
}
files_below() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); }

converter_files="bin/r2c-look
bin/tallowgate
share/man/man1/r2c-look.1
share/man/man1/tallowgate.1"

echo "== cmake --install"
cmake --install "$build" --prefix "$scratch/root" >/dev/null
same_list "the installed tree" "$converter_files" "$(files_below "$scratch/root")"
cmake --install "$build" --prefix "$scratch/decoder" --component decoder >/dev/null
same_list "the decoder's installed tree" "bin/wgrib2" "$(files_below "$scratch/decoder")"

echo "== manual pages"
for page in "$scratch"/root/share/man/man1/*.1; do
  warnings=$(groff -man -ww -z -Tutf8 "$page" 2>&1)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  name=$(basename "$page" .1)
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^NAME" || fail "$name.1 shows no NAME section"
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^ *$name  *- " || fail "$name.1 does not name $name"
done

echo "== installed programs"
status=0
"$scratch/root/bin/r2c-look" >/dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "installed r2c-look without arguments exits $status, not 2"
printf '%s\n' ':Projection LatLong' ':xOrigin 0' ':yOrigin 0' ':xCount 2' ':yCount 1' ':xDelta 1' \
  ':yDelta 1' ':EndHeader' ':Frame 1 1 "2025/08/24 00:00"' '1.5 2.5' ':EndFrame' >"$scratch/small.r2c"
out=$("$scratch/root/bin/r2c-look" check "$scratch/small.r2c") || fail "installed r2c-look check fails"
[ "$out" = "$scratch/small.r2c: sound: 1 frame of 2 x 1 cells" ] || fail "installed r2c-look check says: $out"
(cd "$scratch" && "$scratch/root/bin/tallowgate" </dev/null 2>&1 || true) | grep -q "Program tallowgate" ||
  fail "installed tallowgate shows no banner"

echo "== Debian packages"
if ! (cd "$build" && cpack -G DEB -B "$scratch/packages" >"$scratch/cpack.log" 2>&1); then
  cat "$scratch/cpack.log" >&2
  fail "cpack failed"
  exit 1
fi
package_files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort; }
converter_deb=$(ls "$scratch"/packages/tallowgate_*.deb)
decoder_deb=$(ls "$scratch"/packages/tallowgate-decoder_*.deb)
same_list "the tallowgate package" "$converter_files" "$(package_files "$converter_deb")"
same_list "the tallowgate-decoder package" "bin/wgrib2" "$(package_files "$decoder_deb")"
[ "$(dpkg-deb -f "$converter_deb" Package)" = tallowgate ] || fail "converter package name"
dpkg-deb -f "$converter_deb" Depends | grep -q libcairo2 || fail "the tallowgate package does not depend on Cairo"
dpkg-deb -f "$converter_deb" Recommends | grep -q tallowgate-decoder || fail "tallowgate recommends no decoder"
[ "$(dpkg-deb -f "$decoder_deb" Conflicts)" = wgrib2 ] || fail "the decoder package does not conflict with wgrib2"
dpkg-deb -f "$decoder_deb" Depends | grep -q libeccodes || fail "the decoder package does not depend on ecCodes"
dpkg-deb -x "$converter_deb" "$scratch/unpacked"
"$scratch/unpacked/usr/bin/r2c-look" check "$scratch/small.r2c" >/dev/null || fail "packaged r2c-look fails"
for deb in "$converter_deb" "$decoder_deb"; do
  echo "$(basename "$deb"):"
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print "  " $6}'
done

if [ "$failures" -gt 0 ]; then
  echo "check_install: $failures failed" >&2
  exit 1
fi
echo "installed tree and packages as expected"

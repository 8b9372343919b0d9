#!/usr/bin/env bash
# Builds the Windows package build-win/tallowgate-windows-x86_64.zip: the
# 64-bit console program tallowgate.exe, linked statically so it needs no DLL
# beyond the system's, and INSTALL.txt on installing wgrib2.exe and running it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup_windows.sh
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-win -j"$(nproc)" --target tallowgate

package=build-win/package
rm -rf "$package" build-win/tallowgate-windows-x86_64.zip
mkdir -p "$package"
x86_64-w64-mingw32-strip -o "$package/tallowgate.exe" build-win/tallowgate.exe
# Notepad of every Windows version shows CRLF lines.
sed 's/$/\r/' packaging/windows/INSTALL.txt >"$package/INSTALL.txt"
(cd "$package" && cmake -E tar cf ../tallowgate-windows-x86_64.zip --format=zip tallowgate.exe INSTALL.txt)
echo "build-win/tallowgate-windows-x86_64.zip:"
(cd "$package" && ls -l tallowgate.exe INSTALL.txt)

#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine.
set -euo pipefail
packages=(cmake g++ make libgtest-dev libbenchmark-dev libeccodes-dev libopenjp2-7-dev faketime clang-format clang-tidy)
# r2c-look finds Cairo through pkg-config and draws with a font it finds through fontconfig; the install
# check builds Debian packages (dpkg-shlibdeps) and renders the manual pages.
packages+=(pkg-config libcairo2-dev fonts-dejavu-core dpkg-dev groff-base man-db)
# clang and libclang-rt-14-dev: the fuzz targets (libFuzzer with the sanitizers).
packages+=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

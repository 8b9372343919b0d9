#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libbenchmark-dev libeccodes-dev faketime)
# r2c-look draws with Cairo and a font it finds through fontconfig; the install check builds Debian
# packages (dpkg-shlibdeps) and renders the manual pages.
packages+=(libcairo2-dev fonts-dejavu-core dpkg-dev groff-base man-db)
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

#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine.
set -euo pipefail
# clang and libclang-rt-14-dev: the fuzz targets (libFuzzer with the sanitizers).
packages=(cmake g++ make pkg-config libgtest-dev libbenchmark-dev libeccodes-dev faketime clang libclang-rt-14-dev)
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

#!/usr/bin/env bash
# Installs what building the Windows program and testing it under Wine need
# on a Debian 12 machine, on top of scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
packages=(g++-mingw-w64-x86-64-posix wine64 wine googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

#!/usr/bin/env bash
# Source checks run before the tests: the layering of src/, the formatting and
# clang-tidy's error checks. $1: a build directory configured with
# CMAKE_EXPORT_COMPILE_COMMANDS=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

# driver/ is the top of the program: below it, only main.cc may include it.
if grep -rn '"driver/' src --include=*.h --include=*.cc | grep -v -e '^src/main\.cc:' -e '^src/driver/'; then
  echo "only src/main.cc and src/driver/ may include driver/ headers" >&2
  exit 1
fi

mapfile -t formatted < <(find src tests tools bench -name '*.cc' -o -name '*.h' | sort)
clang-format --dry-run --Werror "${formatted[@]}"

# The compiler's own warnings are the build's business (-Werror there); here
# only the checks of .clang-tidy count, and those it lists as errors fail.
find src -name '*.cc' ! -name '*_test.cc' ! -name 'windows_platform.cc' -print0 | sort -z |
  xargs -0 -n 4 -P "$(nproc)" clang-tidy --quiet -p "$build" --extra-arg=-w
echo "source checks passed"

#!/usr/bin/env bash
# Fails when a C++ source of the project is not formatted by .clang-format.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'tools/*.cpp' 2>/dev/null || true)
if [ -z "$files" ]; then
  files=$(find src tests bench tools -name '*.cpp' -o -name '*.h')
fi
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files

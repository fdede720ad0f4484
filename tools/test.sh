#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/tools/setup.sh"
"$top/tools/build.sh"
cd "$top/build"
ctest --output-on-failure -j "$(nproc)"

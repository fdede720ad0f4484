#!/usr/bin/env bash
# Configures and builds into build/ (warnings are errors). Extra arguments go
# to CMake's configure step.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLOVIX_WERROR=ON "$@" >/dev/null
cmake --build "$top/build" -j "$(nproc)"

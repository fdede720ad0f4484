#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest; then
# builds again with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# the tests once more, so memory errors and leaks fail the run too. Both
# runs happen inside the private network namespace of tools/netns.sh, where
# the tests run their media server and no media packet leaves the machine.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
"$top/tools/setup.sh"

# Line tables are enough for the stack traces a failing test prints; full
# debug info would make the two builds several gigabytes.
lean=-g1
"$top/tools/build.sh" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 $lean -DNDEBUG"
# A lesson test that misses its picture on a machine loaded by the whole
# suite runs once more; its first failure stays in the output.
(cd "$top/build" && "$top/tools/netns.sh" ctest --output-on-failure -j "$jobs" --repeat until-pass:2)

echo "test: the same tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$top" -B "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="$lean" -DPLOVIX_WERROR=ON \
  -DPLOVIX_SANITIZE=address,undefined >/dev/null
cmake --build "$top/build-asan" -j "$jobs"
(cd "$top/build-asan" && "$top/tools/netns.sh" ctest --output-on-failure -j "$jobs" --repeat until-pass:2 \
  -E '^(format\.check|fuzz\..*)$')

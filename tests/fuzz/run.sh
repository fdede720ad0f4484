#!/usr/bin/env bash
# Builds the signalling fuzz target with clang and runs it on a copy of the
# seed corpus for a bounded time. Usage: run.sh <build folder> [seconds]
# [core library]; with the client's core library the frames also reach
# DataManager's handlers.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
seconds="${2:-20}"
core="${3:-}"
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPLOVIX_CORE_LIB="$core" >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
corpus="$build/corpus"
rm -rf "$corpus"
mkdir -p "$corpus"
cp "$here"/corpus/* "$corpus"/
# Leaks are the Qt libraries' (not instrumented); crashes are what counts.
ASAN_OPTIONS=detect_leaks=0 "$build/fuzz_signalling" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/" "$corpus"

#!/usr/bin/env bash
# Builds the receive benchmark optimised and runs it. BUILD_DIR picks the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target receive_bench >/dev/null
"$build/bin/receive_bench"

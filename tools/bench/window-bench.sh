#!/usr/bin/env bash
# Builds the main-window benchmark optimised and runs it offscreen. BUILD_DIR picks the build folder
# (default build).
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target window_bench >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/window_bench"

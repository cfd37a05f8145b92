#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them: the receive path and line log, then the main
# window's terminal view (offscreen). They print figures and never fail on a slow machine.
# BUILD_DIR picks the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/setup.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target receive_bench window_bench >/dev/null
"$build/bin/receive_bench"
QT_QPA_PLATFORM=offscreen "$build/bin/window_bench"

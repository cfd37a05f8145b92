#!/usr/bin/env bash
# Sets up, builds and runs every test headless, then the fuzz harnesses' bounded run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
(
    export QT_QPA_PLATFORM=offscreen
    cd build && ctest --output-on-failure -j"$(nproc)"
)
tools/run-fuzz.sh

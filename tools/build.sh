#!/usr/bin/env bash
# Sets up the machine and builds everything into build/ (or the folder in $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build_dir="${BUILD_DIR:-build}"
launcher=()
if command -v ccache >/dev/null; then
    # Checkouts side by side share one cache.
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}"
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "$@"

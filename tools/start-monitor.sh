#!/usr/bin/env bash
# Sets up, builds and starts the monitor.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
exec build/bin/plovik-monitor

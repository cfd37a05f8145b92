#!/usr/bin/env bash
# Sets up, builds and starts the monitor, with a simulated device (tools/plovik-sim) beside any
# real ones. The settings file gets a port for the simulator when it has none; closing the monitor
# stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh --target plovik-monitor
program=build/bin/plovik-monitor

work=$(mktemp -d)
simulator=
stop_simulator() {
    if [ -n "$simulator" ]; then
        kill "$simulator" 2>/dev/null || true
        wait "$simulator" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap stop_simulator EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# Starts the simulator and names its device in the settings file; false when it did not start.
start_simulator() {
    local python link port
    # The interpreter itself rather than a launcher in front of it, so that the process ended on
    # the way out is the simulator.
    python=$(python3 -c 'import sys; print(sys.executable)' 2>/dev/null) || return 1
    mkfifo "$work/link"
    "$python" tools/plovik-sim --keep-running >"$work/link" &
    simulator=$!
    read -r -t 20 link <"$work/link" && [ -n "$link" ] || return 1
    port=$("$python" tools/sim-settings.py "$program.INI" "$link") || return 1
    echo "Simulated device: $port ($link)"
}
start_simulator || echo "The simulated device did not start; the monitor starts without it." >&2

status=0
"$program" || status=$?
exit "$status"

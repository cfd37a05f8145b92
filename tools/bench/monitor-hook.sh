#!/usr/bin/env bash
# Lets the shared serial-throughput harness (../shared/bench) drive plovik-monitor:
#
#   ../shared/bench/serial-throughput --rate 1000 \
#       --prepare 'tools/bench/monitor-hook.sh prepare {TMP} {PORT}' \
#       --after-start 'tools/bench/monitor-hook.sh open {TMP} {LOG}' \
#       --log '{TMP}/rx.log' -- '{TMP}/plovik-monitor'
#
# prepare: copies the built program into the run's private folder, with a settings file beside it
#          that maps COM1 to the harness's port, switches the line log on and shows every line.
# open:    links the harness's log path to this run's line log (below the private home), which the
#          program has created by the time its window shows.
# Build once first (tools/build.sh); prepare only brings the program up to date.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)

case "${1:-}" in
prepare)
    folder=$2 port=$3
    cmake --build "$repo/build" --target plovik-monitor >/dev/null
    cp "$repo/build/bin/plovik-monitor" "$folder/plovik-monitor"
    cat > "$folder/plovik-monitor.INI" <<INI
[PORTS]
COM1=$port
[TERMINAL]
Port No=COM1
Baud Rate=115200
NMEA LOG=True
eSearcString=
GV_SHOW_DATE_TIME=1
INI
    ;;
open)
    folder=$2 log=$3
    for _ in $(seq 1 100); do
        found=$(find "$folder" -name '*Terminal.log' 2>/dev/null | head -n 1)
        if [ -n "$found" ]; then
            ln -sf "$found" "$log"
            exit 0
        fi
        sleep 0.05
    done
    echo "monitor-hook.sh: no line log appeared under $folder" >&2
    exit 1
    ;;
*)
    echo "usage: $0 prepare FOLDER PORT | open FOLDER LOG" >&2
    exit 2
    ;;
esac

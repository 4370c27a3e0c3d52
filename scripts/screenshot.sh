#!/usr/bin/env bash
# Runs under a display: starts a program, waits for its window, saves a
# picture of the window, then ends the program.
#   screenshot.sh <output.png> <program> [arguments...]
set -euo pipefail
out=$1
shift
"$@" &
pid=$!
for _ in $(seq 1 100); do
    if xwininfo -name "${EMBLIX_WINDOW_TITLE:-Emblix Manager}" > /dev/null 2>&1; then break; fi
    sleep 0.1
done
sleep "${EMBLIX_SCREENSHOT_DELAY:-1}"
import -window "${EMBLIX_WINDOW_TITLE:-Emblix Manager}" "$out"
kill "$pid" 2> /dev/null || true
wait "$pid" 2> /dev/null || true

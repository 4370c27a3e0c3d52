#!/usr/bin/env bash
# Builds the program and the extension and starts it on the demo program
# folder build/demo/.
# Without a display it runs under Xvfb, saves build/demo-screenshot.png and exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" --target demo
program="$root/build/demo/EmblixManager"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$program" "$@"
fi
# A session bus of its own: without one, Qt would start a bus and note it in
# ~/.dbus, outside the demo folder.
xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- \
    bash "$root/scripts/screenshot.sh" "$root/build/demo-screenshot.png" "$program" "$@"
echo "No display: the demo ran under Xvfb; its window is in build/demo-screenshot.png"

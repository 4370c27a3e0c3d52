#!/usr/bin/env bash
# Installs what the project needs, then configures and builds it in build/.
# Extra arguments go to the build (e.g. --target EmblixManager). A build/
# configured before keeps its generator and settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
if [ -f "$root/build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$root/build" > /dev/null
else
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
fi
cmake --build "$root/build" -j2 "$@"

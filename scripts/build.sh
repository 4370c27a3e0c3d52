#!/usr/bin/env bash
# Installs what the project needs, then configures and builds it in build/.
# Extra arguments go to the build (e.g. --target EmblixManager).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$root/build" -j2 "$@"

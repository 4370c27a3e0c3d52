#!/usr/bin/env bash
# Builds the Debian packages into build/packages/: emblix-manager and one
# package per file manager whose module was built. Install them with
#   sudo apt install ./build/packages/*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" > /dev/null
rm -rf "$root/build/packages"
(cd "$root/build" && cpack > /dev/null 2>&1) || (cd "$root/build" && cpack)
ls "$root/build/packages/"*.deb

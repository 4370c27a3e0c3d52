#!/usr/bin/env bash
# Builds everything and runs every test through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
cd "$root/build"
# The full-size stress tests are CI's (ctest -L stress).
ctest --output-on-failure -j2 -LE stress

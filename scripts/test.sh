#!/usr/bin/env bash
# Builds everything and runs every test through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
cd "$root/build"
# Every test keeps its files in temporary folders of its own and removes
# them: the shared temporary folder is a fresh one here, and anything left
# in it is a fault of the test that wrote it.
TMPDIR=$(mktemp -d)
export TMPDIR
status=0
# The full-size stress tests are CI's (ctest -L stress).
ctest --output-on-failure -j2 -LE stress || status=$?
if [ -n "$(find "$TMPDIR" -mindepth 1 -print -quit)" ]; then
    echo "Tests left files in the temporary folder:" >&2
    find "$TMPDIR" -mindepth 1 -maxdepth 3 >&2
    status=1
fi
rm -rf "$TMPDIR"
exit $status

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for a bounded time
# on a copy of its seed corpus. A crash fails the run; its input is kept in
# build-fuzz/artifacts/.
#   fuzz.sh [seconds per target, default 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DEMBLIX_FUZZ=ON -DEMBLIX_BUILD_TESTS=OFF -DEMBLIX_BUILD_BENCH=OFF > /dev/null
cmake --build "$root/build-fuzz" -j2 --target fuzz_ini fuzz_package fuzz_plist fuzz_sort
mkdir -p "$root/build-fuzz/artifacts"
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in ini package plist sort; do
    corpus="$root/build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    cp -n "$root/fuzz/corpus/$target/"* "$corpus/" 2> /dev/null || true
    echo "== fuzz_$target for ${seconds}s"
    if ! "$root/build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$root/build-fuzz/artifacts/$target-" "$corpus" \
        > "$root/build-fuzz/fuzz_$target.log" 2>&1; then
        status=1
        tail -n 60 "$root/build-fuzz/fuzz_$target.log"
    fi
    grep -E "^Done|stat::number_of_executed_units|stat::peak_rss_mb" "$root/build-fuzz/fuzz_$target.log" || true
done
exit $status

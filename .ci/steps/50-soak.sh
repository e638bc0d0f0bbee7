#!/usr/bin/env bash
# CI step: the short soak (four games between two sanitizer-built zarn programs, a 20 s infinite
# analysis, a 999-move game), the start/stop cycles under valgrind, and the replays that stop searches
# from another thread under ThreadSanitizer.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
jobs=${ZARN_JOBS:-2}
# The build directories of .ci/run and the ThreadSanitizer step; each is brought up to date here.
plain=${ZARN_PLAIN_BUILD:-build}
asan=${ZARN_ASAN_BUILD:-build-asan}
tsan=${ZARN_TSAN_BUILD:-build-tsan}

echo "--- soak: games, long analysis and the longest game under address and undefined-behaviour sanitizers"
cmake -S . -B "$asan" -DZARN_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$asan" -j"$jobs" --target zarn zarn_soak
ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$asan/zarn-soak" --engine "$asan/zarn" --games 4 --time 8000 --inc 100 --analysis-seconds 20 \
    --logs "$asan/soak-logs"

echo "--- a hundred start-ups and shut-downs of the engine and the plug-in under valgrind"
cmake -S . -B "$plain" >/dev/null
cmake --build "$plain" -j"$jobs" --target zarn_regression_tests
valgrind --quiet --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=3 \
    "$plain/tests/regressions/zarn_regression_tests" --gtest_filter='Cycles.*'

echo "--- fuzz replays with stops from another thread, and the threaded calls, under ThreadSanitizer"
cmake -S . -B "$tsan" -DZARN_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$tsan" -j"$jobs" --target zarn_regression_tests
runner=()
if command -v setarch >/dev/null 2>&1 && setarch "$(uname -m)" -R true 2>/dev/null; then
    runner=(setarch "$(uname -m)" -R)
fi
TSAN_OPTIONS=halt_on_error=1:abort_on_error=1:second_deadlock_stack=1 \
    "${runner[@]}" "$tsan/tests/regressions/zarn_regression_tests" \
    --gtest_filter='Replay.UciInputs:Replay.AdapterInputs:*CalledFromAnotherThread.*'

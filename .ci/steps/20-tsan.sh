#!/usr/bin/env bash
# CI step: the tests that call the engine from a second thread (stop, ponder hit, the UCI search
# thread, the adapter's stop) and the program's searches on several threads (shared tables, helper
# threads, a UCI session at several threads), built and run under ThreadSanitizer. Any report fails
# the step.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
jobs=${ZARN_JOBS:-2}

cmake -S . -B build-tsan -DZARN_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-tsan -j"$jobs"

export TSAN_OPTIONS=halt_on_error=1:abort_on_error=1:second_deadlock_stack=1
# The timing tests run on a clock of their own, which the sanitizer's slowdown cannot break.
threaded='AnotherThread|Pondering|ThreadedAnalysis|UciSession|AdapterReports|AdapterSearch|AdapterLifecycle|SharedTables|HelperThreads'
# setarch -R: some kernels map memory where ThreadSanitizer cannot run with address randomisation on.
runner=()
if command -v setarch >/dev/null 2>&1 && setarch "$(uname -m)" -R true 2>/dev/null; then
    runner=(setarch "$(uname -m)" -R)
fi
"${runner[@]}" ctest --test-dir build-tsan --output-on-failure -j"$jobs" -R "$threaded"

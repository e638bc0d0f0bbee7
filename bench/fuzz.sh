#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# each for a chosen time, growing a working corpus from the seeds in fuzz/corpus/<target>/.
#
#   bench/fuzz.sh [--seconds N] [--jobs J] [--build DIR] [--no-build] [TARGET...]
#
# Targets: fen game param uci adapter pgn (default: all). --seconds is per target (default 600); --jobs runs
# that many targets at once (default 1; the machine has two cores). New inputs go to DIR/fuzz/work/<target>,
# findings (crash-*, timeout-*, leak-*, oom-*) to DIR/fuzz/findings/, logs to DIR/fuzz/logs/. Ends with one
# line per target: seconds run, executions, executions per second, findings. Exits 1 on any finding.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=600
jobs=1
build="$root/build-fuzz"
do_build=1
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        --build) build=$(realpath -m "$2"); shift 2 ;;
        --no-build) do_build=0; shift ;;
        -h|--help) sed -n '2,11p' "${BASH_SOURCE[0]}"; exit 0 ;;
        -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
        *) targets+=("$1"); shift ;;
    esac
done
[ ${#targets[@]} -gt 0 ] || targets=(fen game param uci adapter pgn)

# Longest input and dictionary of each target.
declare -A max_len=([fen]=4096 [game]=8192 [param]=1024 [uci]=8192 [adapter]=1400 [pgn]=4096)
for target in "${targets[@]}"; do
    [ -n "${max_len[$target]:-}" ] || { echo "fuzz.sh: no target $target" >&2; exit 2; }
done

if [ "$do_build" = 1 ]; then
    cxx=${CXX_FOR_FUZZ:-$(command -v clang++-14 || command -v clang++)}
    cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DZARN_FUZZ=ON -DZARN_BUILD_TESTS=OFF \
        -DZARN_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"${ZARN_JOBS:-2}" --target $(printf 'zarn_fuzz_%s ' "${targets[@]}")
fi

mkdir -p "$build/fuzz/work" "$build/fuzz/findings" "$build/fuzz/logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

run_target() {
    local target=$1
    local work="$build/fuzz/work/$target"
    mkdir -p "$work"
    local dict=()
    [ -f "$root/fuzz/dict/$target.dict" ] && dict=(-dict="$root/fuzz/dict/$target.dict")
    # An input that runs longer than 15 s counts as a hang; more than 2 GB of memory as a fault.
    "$build/fuzz/zarn_fuzz_$target" -max_total_time="$seconds" -timeout=15 -rss_limit_mb=2048 \
        -max_len="${max_len[$target]}" "${dict[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/fuzz/findings/$target-" "$work" "$root/fuzz/corpus/$target" \
        >"$build/fuzz/logs/$target.log" 2>&1 || true
}

running=0
for target in "${targets[@]}"; do
    rm -f "$build/fuzz/findings/$target-"*
    echo "fuzzing $target for $seconds s"
    run_target "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait || true

status=0
printf '%-8s %8s %12s %10s %s\n' target seconds executions 'exec/s' findings
for target in "${targets[@]}"; do
    log="$build/fuzz/logs/$target.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    findings=$(find "$build/fuzz/findings" -name "$target-*" | wc -l)
    if [ -z "$took" ] || [ "$findings" -ne 0 ]; then
        status=1
        echo "--- $target: see $log" >&2
        grep -E 'ERROR|runtime error|broken rule|SUMMARY|Test unit written' "$log" | head -20 >&2 || true
    fi
    printf '%-8s %8s %12s %10s %s\n' "$target" "${took:-?}" "${runs:-?}" "${rate:-?}" "$findings"
done
exit "$status"

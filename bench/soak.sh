#!/usr/bin/env bash
# Soak: two zarn programs built with AddressSanitizer and UndefinedBehaviorSanitizer play complete games
# against each other through UCI from varied openings, every move checked by the engine's own generator;
# then one long infinite analysis ended by stop, and a game of 999 moves. Prints games, results, illegal
# moves and variations, time forfeits, crashes and sanitizer reports; exits 1 unless all but the results
# are zero.
#
#   bench/soak.sh [--build DIR] [--no-build] [zarn-soak options]
#
# Defaults: 20 games at 10 s + 0.1 s a move, a 180 s analysis. zarn-soak options (--games, --time, --inc,
# --max-plies, --analysis-seconds, --opponent PATH to play another UCI program) override them.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-soak"
do_build=1
options=()
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$(realpath -m "$2"); shift 2 ;;
        --no-build) do_build=0; shift ;;
        -h|--help) sed -n '2,11p' "${BASH_SOURCE[0]}"; exit 0 ;;
        *) options+=("$1"); shift ;;
    esac
done

if [ "$do_build" = 1 ]; then
    cmake -S "$root" -B "$build" -DZARN_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"${ZARN_JOBS:-2}" --target zarn zarn_soak
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
exec "$build/zarn-soak" --engine "$build/zarn" --games 20 --time 10000 --inc 100 --analysis-seconds 180 \
    --logs "$build/soak-logs" "${options[@]}"

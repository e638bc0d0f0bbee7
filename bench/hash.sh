#!/usr/bin/env bash
# Hash tables ready at once: what a large table costs at start-up.
#   1. ZarnInit through the engine library's exports at 1 MB and at 1024 MB (median of eleven calls,
#      the sizes interleaved), and the resident memory after it and after a short search
#      (bench/hash_init.cpp; goal: 1 GB within a few milliseconds of 1 MB, and a table never touched
#      not resident);
#   2. over UCI, the time from `setoption name Hash value 1024` to `readyok` after `isready`, for zarn
#      and Debian's stockfish in the same run (median of three), with each program's peak resident
#      memory afterwards (goal: zarn at least twice as fast as stockfish).
#
# Usage: bench/hash.sh [build directory]   (default build/; needs zarn, zarn-hash-init and engine/libZarn504.so there)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
zarn=$build/zarn
library=$build/engine/libZarn504.so
stockfish=${STOCKFISH:-/usr/games/stockfish}
hash_init=$build/zarn-hash-init
[ -x "$zarn" ] && [ -f "$library" ] && [ -x "$hash_init" ] || { echo "build first: $zarn, $hash_init and $library are needed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== ZarnInit through the library"
"$hash_init" "$library" 1 1024

# uci_ready_ms ENGINE: milliseconds from `setoption name Hash value 1024` to `readyok`, then the
# engine's peak resident memory in KB; "timeout" if it does not answer within 60 s.
uci_ready_ms() {
    local engine=$1 line started finished peak
    coproc ENGINE { exec "$engine" 2>/dev/null; }
    local pid=$ENGINE_PID
    exec {to}>&"${ENGINE[1]}" {from}<&"${ENGINE[0]}"
    expect() {  # reads lines until one equals $1
        while IFS= read -r -t 60 line <&"$from"; do
            [ "${line%$'\r'}" = "$1" ] && return 0
        done
        return 1
    }
    echo uci >&"$to"
    expect uciok || { echo timeout; kill "$pid"; return; }
    echo isready >&"$to"
    expect readyok || { echo timeout; kill "$pid"; return; }
    started=$(date +%s%N)
    printf 'setoption name Hash value 1024\nisready\n' >&"$to"
    expect readyok || { echo timeout; kill "$pid"; return; }
    finished=$(date +%s%N)
    peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
    echo quit >&"$to"
    exec {to}>&- {from}<&-
    wait "$pid" 2>/dev/null || true
    echo "$(((finished - started) / 1000000)) $peak"
}

echo "== setoption name Hash value 1024 + isready -> readyok (median of three, same run)"
declare -A results
engines=(zarn)
[ -x "$stockfish" ] && engines+=(stockfish) || echo "stockfish not found at $stockfish" >&2
for round in 1 2 3; do
    for name in "${engines[@]}"; do
        engine=$zarn
        [ "$name" = stockfish ] && engine=$stockfish
        results[$name]+="$(uci_ready_ms "$engine")"$'\n'
    done
done
for name in "${engines[@]}"; do
    read -r ms peak < <(printf '%s' "${results[$name]}" | sort -n | sed -n 2p)
    printf '%-10s readyok after %6s ms, peak resident %8s KB\n' "$name" "$ms" "$peak"
    printf -v "ms_$name" '%s' "$ms"
done
if [ -n "${ms_stockfish:-}" ]; then
    awk -v z="$ms_zarn" -v s="$ms_stockfish" 'BEGIN {
        r = s / (z > 0 ? z : 1)
        printf "stockfish/zarn: %.1fx (goal >= 2: %s)\n", r, (r >= 2) ? "met" : "NOT met" }'
fi

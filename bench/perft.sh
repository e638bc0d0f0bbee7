#!/usr/bin/env bash
# Times `zarn perft` from the start position beside stockfish's `go perft` in the same run and
# prints both speeds and their ratio (goal: zarn at 0.25 of stockfish's nodes per second or more).
# Speeds are taken from processor time (user seconds, start-up subtracted through a depth-1 run), so
# other work on the machine disturbs the ratio less than it would disturb wall-clock figures.
# Usage: bench/perft.sh [zarn binary] [depth]   (defaults: build/zarn, 6)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
zarn=${1:-$root/build/zarn}
depth=${2:-6}
stockfish=${STOCKFISH:-/usr/games/stockfish}
[ -x "$zarn" ] || { echo "zarn binary not found: $zarn (build first, or pass its path)" >&2; exit 2; }
[ -x "$stockfish" ] || { echo "stockfish not found: $stockfish" >&2; exit 2; }

TIMEFORMAT=%3U
# run_timed NAME command...: sets NAME to the command's user seconds and $output to its output.
run_timed() {
    local name=$1 seconds
    shift
    seconds=$( { time "$@" > "$work/output" 2>/dev/null; } 2>&1 )
    printf -v "$name" '%s' "$seconds"
    output=$(cat "$work/output")
}
stockfish_perft() { printf 'position startpos\ngo perft %s\nquit\n' "$1" | "$stockfish"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_timed zarn_startup "$zarn" perft 1
run_timed zarn_seconds "$zarn" perft "$depth"
zarn_nodes=$(echo "$output" | awk '/^Nodes searched:/ { print $3 }')
zarn_wall_nps=$(echo "$output" | awk '/^Nodes per second:/ { print $4 }')

run_timed sf_startup stockfish_perft 1
run_timed sf_seconds stockfish_perft "$depth"
sf_nodes=$(echo "$output" | awk '/^Nodes searched:/ { print $3 }')

awk -v d="$depth" -v zn="$zarn_nodes" -v zs="$zarn_seconds" -v z0="$zarn_startup" -v zw="$zarn_wall_nps" \
    -v sn="$sf_nodes" -v ss="$sf_seconds" -v s0="$sf_startup" 'BEGIN {
    zt = zs - z0; if (zt <= 0) zt = zs; st = ss - s0; if (st <= 0) st = ss
    zr = zn / zt; sr = sn / st
    printf "perft %d from the start position (processor time, start-up subtracted)\n", d
    printf "  zarn:      %11d nodes  %7.3f s  %12.0f nodes/s  (its own wall-clock figure: %s nodes/s)\n", zn, zt, zr, zw
    printf "  stockfish: %11d nodes  %7.3f s  %12.0f nodes/s\n", sn, st, sr
    if (zn != sn) printf "  NODE COUNTS DIFFER\n"
    printf "  ratio zarn/stockfish: %.3f (goal >= 0.25)\n", zr / sr
}'

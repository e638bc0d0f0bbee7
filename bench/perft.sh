#!/usr/bin/env bash
# Times `zarn perft` beside stockfish's `go perft` in the same run on the six standard perft positions
# (the start position, Kiwipete and positions 3 to 6 of the usual set) and prints both speeds, their
# ratio per position and over the whole set (goal: zarn at least as fast, ratio >= 1.00).
# Speeds are taken from processor time (user seconds, start-up subtracted through a depth-1 run), so
# other work on the machine disturbs the ratio less than it would disturb wall-clock figures.
# Usage: bench/perft.sh [zarn binary] [depth offset]   (defaults: build/zarn, 0; the offset is added
# to every position's depth, e.g. -1 for a quick run)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
zarn=${1:-$root/build/zarn}
offset=${2:-0}
stockfish=${STOCKFISH:-/usr/games/stockfish}
[ -x "$zarn" ] || { echo "zarn binary not found: $zarn (build first, or pass its path)" >&2; exit 2; }
[ -x "$stockfish" ] || { echo "stockfish not found: $stockfish" >&2; exit 2; }

# name|depth|fen
positions=(
    "start|6|rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
    "kiwipete|5|r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
    "position3|7|8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"
    "position4|5|r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"
    "position5|5|rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8"
    "position6|5|r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10"
)

TIMEFORMAT=%3U
# run_timed NAME command...: sets NAME to the command's user seconds and $output to its output.
run_timed() {
    local name=$1 seconds
    shift
    seconds=$( { time "$@" > "$work/output" 2>/dev/null; } 2>&1 )
    printf -v "$name" '%s' "$seconds"
    output=$(cat "$work/output")
}
stockfish_perft() { printf 'position fen %s\ngo perft %s\nquit\n' "$1" "$2" | "$stockfish"; }
nodes_of() { echo "$output" | awk '/^Nodes searched:/ { print $3 }'; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_timed zarn_startup "$zarn" perft 1
run_timed sf_startup stockfish_perft "${positions[0]##*|}" 1

printf '%-10s %5s %12s %9s %12s %9s %12s %7s\n' position depth nodes zarn-s zarn-nps sf-s sf-nps ratio
totals="0 0 0 0"
mismatches=0
for entry in "${positions[@]}"; do
    IFS='|' read -r name depth fen <<<"$entry"
    depth=$((depth + offset))
    run_timed zarn_seconds "$zarn" perft "$depth" "$fen"
    zarn_nodes=$(nodes_of)
    run_timed sf_seconds stockfish_perft "$fen" "$depth"
    sf_nodes=$(nodes_of)
    [ "$zarn_nodes" = "$sf_nodes" ] || { mismatches=$((mismatches + 1)); echo "NODE COUNTS DIFFER on $name: $zarn_nodes vs $sf_nodes"; }
    line=$(awk -v n="$name" -v d="$depth" -v zn="$zarn_nodes" -v zs="$zarn_seconds" -v z0="$zarn_startup" \
               -v ss="$sf_seconds" -v s0="$sf_startup" 'BEGIN {
        zt = zs - z0; if (zt <= 0.001) zt = zs + 0.001; st = ss - s0; if (st <= 0.001) st = ss + 0.001
        printf "%-10s %5d %12d %9.3f %12.0f %9.3f %12.0f %7.2f|%d %.3f %.3f", n, d, zn, zt, zn / zt, st, zn / st, st / zt, zn, zt, st
    }')
    echo "${line%%|*}"
    totals=$(awk -v t="$totals" -v l="${line##*|}" 'BEGIN { split(t, a, " "); split(l, b, " ");
        printf "%d %.3f %.3f", a[1] + b[1], a[2] + b[2], a[3] + b[3] }')
done
read -r nodes zarn_total sf_total <<<"$totals"
awk -v n="$nodes" -v zt="$zarn_total" -v st="$sf_total" 'BEGIN {
    printf "%-10s %5s %12d %9.3f %12.0f %9.3f %12.0f %7.2f\n", "all", "", n, zt, n / zt, st, n / st, st / zt
    printf "ratio zarn/stockfish over the set: %.2f (goal >= 1.00: %s)\n", st / zt, (st / zt >= 1) ? "met" : "NOT met"
}'
[ "$mismatches" -eq 0 ]

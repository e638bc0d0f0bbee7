#!/usr/bin/env bash
# Game review at scale, measured: `zarn annotate --depth D` over self-play games with --jobs 1 and with
# --jobs J (positions per second of each, their ratio, and whether the outputs are the same bytes),
# a --jobs J run killed partway (SIGKILL) and resumed against the uninterrupted output, and three
# shards joined against it. Beside the elapsed time, the processor time of each run (its review
# processes included), which shows the cost of spreading the work whatever else the machine does. For
# scale, the machine's own ceiling: the work of two `zarn bench` processes at once over one alone. The
# load average is printed beside the figures.
# Goal: --jobs 2 at least 1.65 times the positions per second of --jobs 1 on a two-core machine.
#
# Usage: bench/annotate.sh   (environment: ZARN=path/to/zarn, SELFPLAY=path/to/zarn-selfplay,
#                             GAMES=number of games (36), DEPTH=plies (8), JOBS=processes (2))
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
zarn=${ZARN:-$root/build/zarn}
selfplay=${SELFPLAY:-$root/build/zarn-selfplay}
games=${GAMES:-36}
depth=${DEPTH:-8}
jobs=${JOBS:-2}

if [ ! -x "$zarn" ] || [ ! -x "$selfplay" ]; then
    echo "building $zarn and $selfplay" >&2
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build" -j2 --target zarn zarn-selfplay >/dev/null
fi

work=$(mktemp -d)
run=""
cleanup() {
    if [ -n "$run" ]; then kill -KILL "$run" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

load() { cut -d' ' -f1-3 /proc/loadavg; }
now_ms() { date +%s%3N; }

"$selfplay" --engine "$zarn" --games "$games" --seed 29 >"$work/games.pgn"
# Positions searched: every game's plies and its start.
positions=$(awk -F'"' '/^\[PlyCount / { sum += $2 + 1 } END { print sum + 0 }' "$work/games.pgn")
echo "input: $games self-play games, $positions positions; depth $depth; load $(load)"

usage=$work/usage
# One review of the whole file: sets elapsed_ms and cpu_ms (user + system, review processes included).
review() {
    local start
    start=$(now_ms)
    /usr/bin/time -f '%U %S' -o "$usage" "$zarn" annotate "$work/games.pgn" --depth "$depth" "$@" 2>/dev/null || [ $? -eq 1 ]
    elapsed_ms=$(($(now_ms) - start))
    cpu_ms=$(awk 'END { printf "%d", ($1 + $2) * 1000 }' "$usage")
}
rate() { awk -v p="$positions" -v ms="$1" 'BEGIN { printf "%.1f", p * 1000 / (ms > 0 ? ms : 1) }'; }
seconds() { awk -v ms="$1" 'BEGIN { printf "%.1f s", ms / 1000 }'; }

review --jobs 1 --output "$work/one.pgn"
one_ms=$elapsed_ms
one_cpu=$cpu_ms
echo "--jobs 1: $(seconds "$one_ms"), $(rate "$one_ms") positions/s; processor $(seconds "$one_cpu"); load $(load)"
review --jobs "$jobs" --output "$work/many.pgn"
many_ms=$elapsed_ms
many_cpu=$cpu_ms
same=different
cmp -s "$work/one.pgn" "$work/many.pgn" && same=same
echo "--jobs $jobs: $(seconds "$many_ms"), $(rate "$many_ms") positions/s; processor $(seconds "$many_cpu"); load $(load)"
awk -v a="$one_ms" -v b="$many_ms" -v c="$one_cpu" -v d="$many_cpu" -v j="$jobs" -v s="$same" \
    'BEGIN { printf "--jobs %d over --jobs 1: %.2f times the positions per second, %.2f times the processor time; outputs %s\n", j, a / b, d / c, s }'

# Killed at about half its time, then resumed.
"$zarn" annotate "$work/games.pgn" --depth "$depth" --jobs "$jobs" --output "$work/cut.pgn" 2>/dev/null &
run=$!
sleep "$(awk -v ms="$many_ms" 'BEGIN { printf "%.1f", ms / 2000 }')"
{ kill -KILL "$run" && wait "$run"; } 2>/dev/null || true
run=""
kept=$(grep -c '^\[Event ' "$work/cut.pgn" || true)
cut_bytes=$(stat -c %s "$work/cut.pgn")
review --jobs "$jobs" --output "$work/cut.pgn" --resume
resumed=different
cmp -s "$work/cut.pgn" "$work/one.pgn" && resumed=same
echo "killed with $kept game starts in $cut_bytes bytes, resumed in $(seconds "$elapsed_ms"): output $resumed as the uninterrupted run"

for k in 1 2 3; do review --jobs "$jobs" --shard "$k/3" --output "$work/part-$k.pgn"; done
shards=different
cat "$work/part-1.pgn" "$work/part-2.pgn" "$work/part-3.pgn" | cmp -s - "$work/one.pgn" && shards=same
echo "three shards joined: $shards as the single run"

# The machine's ceiling: two benches at once against one.
start=$(now_ms)
"$zarn" bench >/dev/null 2>&1
single_ms=$(($(now_ms) - start))
start=$(now_ms)
"$zarn" bench >/dev/null 2>&1 &
first=$!
"$zarn" bench >/dev/null 2>&1
wait "$first"
double_ms=$(($(now_ms) - start))
awk -v a="$single_ms" -v b="$double_ms" 'BEGIN { printf "ceiling: two zarn bench at once do %.2f times the work of one per unit of time\n", 2 * a / b }'
echo "load at the end $(load)"
[ "$same" = same ] && [ "$resumed" = same ] && [ "$shards" = same ]

#!/usr/bin/env bash
# Parallel search of the zarn program: nodes per second and time to a fixed depth at Threads 1, 2, ...
# up to the core count, over six middlegame positions, beside the machine's own ceiling: two
# independent `zarn bench` processes at once against one alone (memory and shared caches limit what
# two threads can do whatever the program does). Optionally a match of Threads N against Threads 1 at
# equal clocks (zarn-selfplay --match).
#
# Goals on two cores: nodes per second at Threads 2 at least 1.8 times Threads 1, or 0.95 times the
# ceiling; time to depth at Threads 2 at most 0.75 times Threads 1. The script states the load before
# and after; wall-clock figures from a busy machine say little (where the scheduler shares the
# processors out by session, as Linux's autogroups do, more threads get no more processor time at
# all). Two figures hold on a busy machine too: the nodes all threads search to reach the depth (the
# price of searching in parallel) and the nodes per second of processor time (what each thread loses
# to the others, through the caches and memory).
#
# Usage: bench/threads.sh [depth]   (default 11; environment: ZARN=path/to/zarn, THREADS="1 2 ...",
#                                    RUNS=searches of each position at each thread count (default 3),
#                                    MATCH=games (default 0: no match), CLOCK=seconds+increment (5+0.05),
#                                    MATCH_THREADS=threads of the first side (2))
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
zarn=${ZARN:-$root/build/zarn}
depth=${1:-11}
cores=$(nproc)
threads_list=${THREADS:-$(seq -s ' ' 1 "$cores")}
runs=${RUNS:-3}
match=${MATCH:-0}
clock=${CLOCK:-5+0.05}
match_threads=${MATCH_THREADS:-2}
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "threads.sh: RUNS must be a positive whole number" >&2; exit 2; }
[[ "$depth" =~ ^[1-9][0-9]*$ ]] || { echo "threads.sh: the depth must be a positive whole number" >&2; exit 2; }
[[ "$match" =~ ^[0-9]+$ ]] || { echo "threads.sh: MATCH must be a number of games" >&2; exit 2; }

if [ ! -x "$zarn" ]; then
    echo "building $zarn" >&2
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build" -j2 --target zarn zarn_selfplay >/dev/null
fi

positions=(
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQKB1R w KQ -"
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -"
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"
    "r1b2rk1/2qnbppp/p2ppn2/1p6/3NP3/1BN1B3/PPP1QPPP/R4RK1 w - -"
    "2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - -"
    "r1bqr1k1/pp1nbppp/2p2n2/3p2B1/3P4/2NBP3/PPQ1NPPP/R3K2R w KQ -"
)

load() { awk '{ print $1, $2, $3 }' /proc/loadavg; }
echo "zarn: $zarn; depth $depth; threads $threads_list; $runs runs; $cores cores; load before: $(load)"

# The ceiling: `zarn bench` alone, then two at once; the work of two in the time they take against one.
bench_ms() { "$zarn" bench | awk '/^Time/ { print $2 }'; }
alone=$(bench_ms)
out1=$(mktemp)
out2=$(mktemp)
trap 'rm -f "$out1" "$out2" "${usage_file:-}"' EXIT
bench_ms >"$out1" &
bench_ms >"$out2" &
wait
pair=$(sort -n "$out1" "$out2" | tail -n 1)
ceiling=$(awk -v a="$alone" -v p="$pair" 'BEGIN { printf "%.2f", 2 * a / p }')
echo "ceiling: one zarn bench $alone ms, two at once $(cat "$out1") and $(cat "$out2") ms: ${ceiling}x the work of one"

# One search: prints "nodes milliseconds processor-milliseconds" of the iteration at the depth.
usage_file=$(mktemp)
search() {
    /usr/bin/time -f '%U %S' -o "$usage_file" "$zarn" analyse --fen "$1" --depth "$depth" --threads "$2" |
        awk -v d="$depth" -v usage="$usage_file" '$1 == "depth" && $2 == d {
            for (i = 3; i < NF; ++i) { if ($i == "nodes") nodes = $(i + 1); if ($i == "time") time = $(i + 1) }
        } END { close(usage); getline line < usage; split(line, u, " ")
                printf "%d %d %d\n", nodes, time * 1000, (u[1] + u[2]) * 1000 }'
}

declare -A nodes_of time_of cpu_of pos_ms
for t in $threads_list; do
    nodes_of[$t]=0
    time_of[$t]=0
    cpu_of[$t]=0
done
for ((run = 0; run < runs; ++run)); do
    for ((p = 0; p < ${#positions[@]}; ++p)); do
        # Thread counts alternate their order from run to run, so that each meets the same load.
        order=$threads_list
        if ((run % 2 == 1)); then order=$(tr ' ' '\n' <<<"$threads_list" | tac | tr '\n' ' '); fi
        for t in $order; do
            read -r n ms cpu < <(search "${positions[$p]}" "$t")
            nodes_of[$t]=$((nodes_of[$t] + n))
            time_of[$t]=$((time_of[$t] + ms))
            cpu_of[$t]=$((cpu_of[$t] + cpu))
            pos_ms[$t,$p]=$((${pos_ms[$t,$p]:-0} + ms))
        done
    done
done

first=${threads_list%% *}
base_nps=$((nodes_of[$first] * 1000 / (time_of[$first] > 0 ? time_of[$first] : 1)))
base_ms=${time_of[$first]}
base_cpu_nps=$((nodes_of[$first] * 1000 / (cpu_of[$first] > 0 ? cpu_of[$first] : 1)))
printf '%-8s %12s %7s %16s %7s %14s %14s   %s\n' threads "nodes/s" "x $first" "time to depth" "x $first" \
    "nodes x $first" "per cpu x $first" "time by position (x $first)"
for t in $threads_list; do
    nps=$((nodes_of[$t] * 1000 / (time_of[$t] > 0 ? time_of[$t] : 1)))
    detail=""
    for ((p = 0; p < ${#positions[@]}; ++p)); do
        detail+=$(awk -v a="${pos_ms[$t,$p]}" -v b="${pos_ms[$first,$p]}" 'BEGIN { printf " %.2f", (b > 0 ? a / b : 0) }')
    done
    cpu_nps=$((nodes_of[$t] * 1000 / (cpu_of[$t] > 0 ? cpu_of[$t] : 1)))
    printf '%-8s %12d %7s %14.1f s %7s %14s %14s  %s\n' "$t" "$nps" "$(awk -v a="$nps" -v b="$base_nps" 'BEGIN { printf "%.2f", a / b }')" \
        "$(awk -v a="${time_of[$t]}" -v r="$runs" 'BEGIN { print a / 1000 / r }')" \
        "$(awk -v a="${time_of[$t]}" -v b="$base_ms" 'BEGIN { printf "%.2f", a / b }')" \
        "$(awk -v a="${nodes_of[$t]}" -v b="${nodes_of[$first]}" 'BEGIN { printf "%.2f", a / b }')" \
        "$(awk -v a="$cpu_nps" -v b="$base_cpu_nps" 'BEGIN { printf "%.2f", a / b }')" "$detail"
done
echo "(time to depth: the mean over $runs runs of the sum over the ${#positions[@]} positions; nodes: all threads'"
echo " to reach the depth; per cpu: nodes per second of processor time)"
echo "load after: $(load)"

if ((match > 0)); then
    selfplay=$(dirname "$zarn")/zarn-selfplay
    [ -x "$selfplay" ] || { echo "threads.sh: $selfplay is missing (cmake --build build --target zarn_selfplay)" >&2; exit 2; }
    echo "match: Threads $match_threads against Threads 1, $match games at $clock; load before: $(load)"
    "$selfplay" --match --engine "$zarn" --set Hash=64 --set1 "Threads=$match_threads" --set2 Threads=1 \
        --clock "$clock" --games "$match" | tail -n 1
    echo "load after: $(load)"
fi

#!/usr/bin/env bash
# Search speed: `zarn bench` beside Debian's glaurung, toga2 and stockfish, one thread each, on the
# same positions in the same run. The other engines search each position for a fixed time over UCI.
# Two speeds are shown: nodes over the elapsed time each engine reports, and nodes over the processor
# time the process used (user + system), which stays meaningful on a machine busy with other work.
# The goal is judged on the processor-time figure.
# Goal: zarn at least 1.5 times glaurung's nodes per second (the release build of tools/build-release:
# 2.5 times), and resident memory of `zarn bench` at most its hash size (16 MB) plus 16 MB. With
# ZARN_BASELINE naming a second zarn (say the plain build beside the release build), its bench runs in
# the same run too, with the same node count required, and the speed ratio of the two is printed.
#
# Usage: bench/search.sh [depth]   (environment: ZARN=path/to/zarn, ZARN_BASELINE=path/to/zarn,
#                                   MOVETIME=ms per position, RUNS=benches of each zarn, default 5)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
zarn=${ZARN:-$root/build/zarn}
baseline=${ZARN_BASELINE:-}
movetime=${MOVETIME:-1000}
runs=${RUNS:-5}
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "search.sh: RUNS must be a positive whole number" >&2; exit 2; }
depth=${1:-}
hash_mb=16

if [ ! -x "$zarn" ]; then
    echo "building $zarn" >&2
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build" -j2 --target zarn >/dev/null
fi

mapfile -t positions < <("$zarn" bench --positions)

usage_file=$(mktemp)
trap 'rm -f "$usage_file"' EXIT
# Processor milliseconds (user + system) of the last command run under /usr/bin/time.
cpu_ms() { awk 'END { printf "%d", ($2 + $3) * 1000 }' "$usage_file"; }
per_second() { echo $(($1 * 1000 / ($2 > 0 ? $2 : 1))); }

# One `zarn bench` of a program: sets bench_nodes, bench_ms, bench_cpu and bench_rss_kb.
run_bench() {
    local out
    out=$(/usr/bin/time -f '%M %U %S' -o "$usage_file" "$1" bench $depth)
    bench_nodes=$(grep '^Nodes searched' <<<"$out" | grep -o '[0-9]*$')
    bench_ms=$(grep '^Time' <<<"$out" | grep -o '[0-9][0-9]*' | head -n 1)
    bench_cpu=$(cpu_ms)
    bench_rss_kb=$(awk 'END { print $1 }' "$usage_file")
}

# zarn's bench (and the baseline's right after each, so that both meet the same load) RUNS times;
# the run with the least processor time counts, the one least disturbed by other work.
zarn_cpu=0
base_cpu=0
for ((run = 0; run < runs; ++run)); do
    run_bench "$zarn"
    if [ "$zarn_cpu" = 0 ] || [ "$bench_cpu" -lt "$zarn_cpu" ]; then
        zarn_nodes=$bench_nodes zarn_ms=$bench_ms zarn_cpu=$bench_cpu zarn_rss_kb=$bench_rss_kb
    fi
    if [ -n "$baseline" ]; then
        run_bench "$baseline"
        if [ "$base_cpu" = 0 ] || [ "$bench_cpu" -lt "$base_cpu" ]; then
            base_nodes=$bench_nodes base_ms=$bench_ms base_cpu=$bench_cpu
        fi
    fi
done

# Another engine over UCI: every position for movetime ms; prints "nodes milliseconds".
uci_bench() {
    local engine=$1
    shift
    {
        echo uci
        for option in "$@"; do echo "setoption name $option"; done
        echo "setoption name Hash value $hash_mb"
        echo isready
        sleep 1
        for fen in "${positions[@]}"; do
            echo ucinewgame
            echo "position fen $fen"
            echo "go movetime $movetime"
            sleep "$(awk -v ms="$movetime" 'BEGIN { printf "%.2f", ms / 1000 + 0.3 }')"
        done
        echo quit
    } | /usr/bin/time -f '%M %U %S' -o "$usage_file" "$engine" 2>/dev/null | awk -v movetime="$movetime" '
        /^info/ {
            for (i = 2; i < NF; i++) {
                if ($i == "nodes") nodes = $(i + 1)
                if ($i == "time") time = $(i + 1)
            }
        }
        /^bestmove/ {
            total_nodes += nodes
            total_ms += (time > 0 ? time : movetime)
            nodes = 0; time = 0
        }
        END { printf "%d %d\n", total_nodes, total_ms }'
}

printf '%-10s %12s %9s %12s %9s %12s\n' engine nodes ms nps cpu-ms nps-cpu
report() { printf '%-10s %12d %9d %12d %9d %12d\n' "$1" "$2" "$3" "$(per_second "$2" "$3")" "$4" "$(per_second "$2" "$4")"; }
report zarn "$zarn_nodes" "$zarn_ms" "$zarn_cpu"
zarn_nps=$(per_second "$zarn_nodes" "$zarn_cpu")
if [ -n "$baseline" ]; then
    report baseline "$base_nodes" "$base_ms" "$base_cpu"
    [ "$base_nodes" = "$zarn_nodes" ] || echo "NODE COUNTS DIFFER: zarn $zarn_nodes, baseline $base_nodes"
fi

glaurung_nps=0
for entry in "glaurung:Threads value 1:OwnBook value false" \
            "toga2:Number of Threads value 1:OwnBook value false" \
            "stockfish:Threads value 1"; do
    IFS=: read -r -a parts <<<"$entry"
    name=${parts[0]}
    engine=$(command -v "$name" || echo "/usr/games/$name")
    if [ ! -x "$engine" ]; then
        printf '%-10s %12s\n' "$name" "(not installed)"
        continue
    fi
    read -r nodes ms < <(uci_bench "$engine" "${parts[@]:1}")
    cpu=$(cpu_ms)
    report "$name" "$nodes" "$ms" "$cpu"
    [ "$name" = glaurung ] && glaurung_nps=$(per_second "$nodes" "$cpu")
done

echo
if [ "$glaurung_nps" -gt 0 ]; then
    ratio=$(awk -v a="$zarn_nps" -v b="$glaurung_nps" 'BEGIN { printf "%.2f", a / b }')
    verdict=$(awk -v r="$ratio" 'BEGIN { print (r >= 1.5 ? "met" : "NOT met") }')
    release=$(awk -v r="$ratio" 'BEGIN { print (r >= 2.5 ? "met" : "NOT met") }')
    echo "zarn / glaurung nodes per processor second: $ratio (goal 1.5: $verdict; release build 2.5: $release)"
fi
if [ -n "$baseline" ]; then
    ratio=$(awk -v a="$zarn_nps" -v b="$(per_second "$base_nodes" "$base_cpu")" 'BEGIN { printf "%.3f", a / b }')
    echo "zarn / baseline nodes per processor second: $ratio (release over plain goal 1.10)"
fi
limit_kb=$(((hash_mb + 16) * 1024))
rss_verdict=$([ "$zarn_rss_kb" -le "$limit_kb" ] && echo met || echo "NOT met")
echo "zarn bench peak resident memory: $zarn_rss_kb KB (limit $limit_kb KB: $rss_verdict)"

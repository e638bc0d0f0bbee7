#!/usr/bin/env bash
# Hash tables ready at once: what a large table costs at start-up.
#   1. ZarnInit through the engine library's exports at 1 MB and at 1024 MB (median of eleven calls,
#      the sizes interleaved), and the resident memory after it and after a short search
#      (bench/hash_init.cpp; goal: 1 GB within a few milliseconds of 1 MB, and a table never touched
#      not resident);
#   2. over UCI, the time from `setoption name Hash value 1024` to `readyok` after `isready`, for zarn
#      and Debian's stockfish in the same run (median of three), with each program's peak resident
#      memory afterwards (goal: zarn at least twice as fast as stockfish);
#   3. the first search on a new table: at Hash 1024, WAIT seconds (default 3) after `readyok`, a
#      `go depth 11` from a middlegame position, then again after `ucinewgame` and the same wait, with
#      the processor time (user and system) each took (goal: the first at most 1.15 times the second,
#      little system time in either: the table's pages are faulted in by a background thread while the
#      engine waits).
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

# first_searches ENGINE: for each of the two searches, "wall-ms user-ms system-ms".
first_searches() {
    local engine=$1 line tick
    tick=$(getconf CLK_TCK)
    coproc ENGINE { exec "$engine" 2>/dev/null; }
    local pid=$ENGINE_PID
    exec {to}>&"${ENGINE[1]}" {from}<&"${ENGINE[0]}"
    expect() {  # reads lines until one starts with $1
        while IFS= read -r -t 120 line <&"$from"; do
            [[ "${line%$'\r'}" == "$1"* ]] && return 0
        done
        return 1
    }
    # The process's processor time less the page keeper's threads' (their background work is not the
    # search's).
    cpu() {
        local stats=() task
        for task in /proc/"$pid"/task/*; do
            [[ "$(cat "$task/comm" 2>/dev/null)" == zarn-pages* ]] && stats+=("$task/stat")
        done
        awk -v main="/proc/$pid/stat" 'BEGIN { getline line < main; split(line, p, " "); u = p[14]; s = p[15] }
            { u -= $14; s -= $15 } END { print u, s }' "${stats[@]}" </dev/null
    }
    printf 'uci\nsetoption name Hash value 1024\nisready\n' >&"$to"
    expect readyok || { echo timeout; kill "$pid"; return; }
    for round in first second; do
        [ "$round" = second ] && { printf 'ucinewgame\nisready\n' >&"$to"; expect readyok; }
        sleep "${WAIT:-3}"
        read -r user0 system0 < <(cpu)
        started=$(date +%s%N)
        printf 'position fen %s\ngo depth 11\n' "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQKB1R w KQ -" >&"$to"
        expect bestmove || { echo timeout; kill "$pid"; return; }
        finished=$(date +%s%N)
        read -r user1 system1 < <(cpu)
        echo "$(((finished - started) / 1000000)) $(((user1 - user0) * 1000 / tick)) $(((system1 - system0) * 1000 / tick))"
    done
    echo quit >&"$to"
    exec {to}>&- {from}<&-
    wait "$pid" 2>/dev/null || true
}

echo "== Hash 1024: go depth 11 ${WAIT:-3} s after readyok, then again after ucinewgame (load $(awk '{ print $1 }' /proc/loadavg))"
mapfile -t searches < <(first_searches "$zarn")
read -r first_ms first_user first_system <<<"${searches[0]}"
read -r second_ms second_user second_system <<<"${searches[1]}"
printf 'first  %6s ms (user %6s ms, system %5s ms)\nsecond %6s ms (user %6s ms, system %5s ms)\n' \
    "$first_ms" "$first_user" "$first_system" "$second_ms" "$second_user" "$second_system"
awk -v a="$first_ms" -v b="$second_ms" -v ua="$first_user" -v sa="$first_system" -v ub="$second_user" -v sb="$second_system" 'BEGIN {
    r = a / (b > 0 ? b : 1); c = (ua + sa) / ((ub + sb) > 0 ? ub + sb : 1)
    printf "first/second: %.2fx wall, %.2fx processor time (goal <= 1.15: %s)\n", r, c, (c <= 1.15) ? "met" : "NOT met" }'

#!/usr/bin/env bash
# The perft command's arguments: bad ones, impossible positions included, get one line on stderr and
# exit status 2.
# Usage: arguments.sh <zarn binary>
set -u
zarn=$1
failures=0

expect_error() {
    local errors status
    errors=$("$zarn" perft "$@" 2>&1 >/dev/null)
    status=$?
    if [ "$status" -ne 2 ] || [ "$(printf '%s\n' "$errors" | wc -l)" -ne 1 ] || [ -z "$errors" ]; then
        echo "FAIL: 'zarn perft $*' should fail with one line (status $status, stderr: $errors)"
        failures=$((failures + 1))
    fi
}

# expect_nodes N args...: the command succeeds and reports N nodes.
expect_nodes() {
    local nodes=$1 output status
    shift
    output=$("$zarn" perft "$@" 2>&1)
    status=$?
    if [ "$status" -ne 0 ] || ! printf '%s\n' "$output" | grep -qx "Nodes searched: $nodes"; then
        echo "FAIL: 'zarn perft $*' should report $nodes nodes (status $status)"
        printf '%s\n' "$output" | tail -3 | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}

expect_error
expect_error x
expect_error 3x
expect_error 0
expect_error -2
expect_error 21
expect_error 2 ""
expect_error 2 " / "

expect_nodes 20 1
expect_nodes 400 2
# The FEN may be one argument or several words, with or without move counters.
expect_nodes 2039 2 "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
expect_nodes 2039 2 r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -
# An en-passant square that no double step made is dropped with a note.
expect_nodes 400 2 "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e6"
# Positions no game can reach: no kings, a board full of queens, a side to move that could take the
# enemy king, a board of kings, a pawn on the last rank, garbage.
expect_error 3 "8/8/8/8/8/8/8/8 w - -"
expect_error 2 "QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQK/QQQQQQQk w"
expect_error 3 "4k3/4R3/8/8/8/8/8/4K3 w - -"
expect_error 3 "kkkkkkkk/KKKKKKKK/pppppppp/PPPPPPPP/8/8/8/8 b KQkq a3"
expect_error 3 "P3k3/8/8/8/8/8/8/4K3 w - -"
expect_error 3 garbage

echo "$failures failures"
[ "$failures" -eq 0 ]

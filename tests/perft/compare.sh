#!/usr/bin/env bash
# Compares `zarn perft` with stockfish's `go perft`, move by move, on every position of a list.
# Usage: compare.sh <zarn binary> <positions file>. Exits 77 (skipped) when stockfish is missing.
set -u
zarn=$1
positions=$2
stockfish=${STOCKFISH:-/usr/games/stockfish}
if [ ! -x "$stockfish" ]; then
    echo "stockfish not found at $stockfish; skipping" >&2
    exit 77
fi

moves_only() { grep -E '^[a-h][1-8][a-h][1-8][qrbn]?: [0-9]+$' | sort; }

failures=0
checked=0
while IFS='|' read -r depth fen note; do
    depth=$(echo "$depth" | tr -d ' ')
    case "$depth" in ''|'#'*) continue ;; esac
    fen=$(echo "$fen" | sed 's/^ *//; s/ *$//')
    ours=$("$zarn" perft "$depth" "$fen" | moves_only)
    theirs=$(printf 'position fen %s\ngo perft %s\nquit\n' "$fen" "$depth" | "$stockfish" | moves_only)
    checked=$((checked + 1))
    if [ -z "$theirs" ] || [ "$ours" != "$theirs" ]; then
        failures=$((failures + 1))
        echo "MISMATCH at depth $depth: $fen ($note)"
        diff <(echo "$ours") <(echo "$theirs") | sed 's/^/    /' | head -20
    fi
done < "$positions"

echo "$checked positions checked, $failures mismatched"
[ "$failures" -eq 0 ]

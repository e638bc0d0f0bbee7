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

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The list without comments: "depth|fen|note" per line.
grep -vE '^[[:space:]]*(#|$)' "$positions" > "$work/list"

# One stockfish session for the whole list (it loads slowly); each count ends with "Nodes searched".
while IFS='|' read -r depth fen _; do
    printf 'position fen %s\ngo perft %s\n' "$(echo "$fen" | sed 's/^ *//; s/ *$//')" "$(echo "$depth" | tr -d ' ')"
done < "$work/list" > "$work/commands"
echo quit >> "$work/commands"
"$stockfish" < "$work/commands" |
    awk -v dir="$work" -v n=0 '/^[a-h][1-8][a-h][1-8][qrbn]?: [0-9]+$/ { print > (dir "/theirs." n) }
                        /^Nodes searched/ { close(dir "/theirs." n); n++ }'

failures=0
index=0
while IFS='|' read -r depth fen note; do
    depth=$(echo "$depth" | tr -d ' ')
    fen=$(echo "$fen" | sed 's/^ *//; s/ *$//')
    ours=$("$zarn" perft "$depth" "$fen" | grep -E '^[a-h][1-8][a-h][1-8][qrbn]?: [0-9]+$' | sort)
    theirs=$(sort "$work/theirs.$index" 2>/dev/null)
    if [ -z "$theirs" ] || [ "$ours" != "$theirs" ]; then
        failures=$((failures + 1))
        echo "MISMATCH at depth $depth: $fen ($note)"
        diff <(echo "$ours") <(echo "$theirs") | sed 's/^/    /' | head -20
    fi
    index=$((index + 1))
done < "$work/list"

echo "$index positions checked, $failures mismatched"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Evaluations per second over positions from random games (seeded, so every run sees the same
# positions): `zarn eval --bench` replays the games on the search stack, evaluating every position,
# and subtracts the time the moves alone take.
# Usage: bench/eval.sh [zarn binary] [positions]   (defaults: build/zarn, 4000)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
zarn=${1:-$root/build/zarn}
positions=${2:-4000}
[ -x "$zarn" ] || { echo "zarn binary not found: $zarn (build first, or pass its path)" >&2; exit 2; }
"$zarn" eval --bench "$positions"

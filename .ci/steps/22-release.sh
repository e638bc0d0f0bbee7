#!/usr/bin/env bash
# CI step: the fast release build (link-time optimisation, this processor, a profile of zarn bench and
# perft) is built as a user would, by tools/build-release, which also checks that its zarn bench counts
# the same nodes; its engine library must export exactly the eighteen functions and nothing else.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"

tools/build-release build-release-ci
exports=$(nm -D --defined-only build-release-ci/engine/libZarn504.so | awk '$2 == "T" { print $3 }' | sort)
count=$(wc -l <<<"$exports")
if [ "$count" != 18 ] || grep -qv '^Zarn' <<<"$exports"; then
    echo "release library exports $count functions:" >&2
    printf '%s\n' "$exports" >&2
    exit 1
fi
echo "release build: bench node count checked, 18 exports"

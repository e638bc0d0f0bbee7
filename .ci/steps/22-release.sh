#!/usr/bin/env bash
# CI step: the fast release build (link-time optimisation, this processor, a profile of zarn bench and
# perft) is built as a user would, by tools/build-release, which also checks that its zarn bench counts
# the same nodes; its engine library must export exactly the functions of engine/interface/exports.txt.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"

tools/build-release build-release-ci
exports=$(nm -D --defined-only build-release-ci/engine/libZarn504.so | awk '$2 == "T" { print $3 }' | sort)
expected=$(grep '^[A-Za-z]' engine/interface/exports.txt | sort)
if [ "$exports" != "$expected" ]; then
    echo "release library exports differ from engine/interface/exports.txt:" >&2
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$exports") >&2 || true
    exit 1
fi
echo "release build: bench node count checked, $(wc -l <<<"$expected") exports"

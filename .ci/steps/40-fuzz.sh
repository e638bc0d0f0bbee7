#!/usr/bin/env bash
# CI step: every fuzz target (FEN text, game moves, parameters, UCI commands, host records into the
# plug-in, PGN files) for about a minute, built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, two targets at a time. Any crash, hang, leak or broken rule fails the step; bench/fuzz.sh prints it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
"$root/bench/fuzz.sh" --seconds "${ZARN_FUZZ_SECONDS:-50}" --jobs 2 --build "$root/build-fuzz"

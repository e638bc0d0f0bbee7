// Limits beyond the limit modes, for the program's own use: a node budget and a mate distance. Both
// are off by default; they combine with whatever limit mode is set.
#pragma once

#include <cstdint>

#include "engine/threads/per_thread.h"

namespace zarn {

// Nodes past the budget that an analysis may still count while it unwinds: at most two a ply.
inline constexpr std::uint64_t NodeLimitOvershoot = 256;

struct ExtraLimits {
    std::uint64_t Nodes = 0;  // 0: no node budget
    int MateMoves = 0;        // 0: no mate limit; n: stop once a mate in n moves or fewer is found
};

// Sets both limits for the following analyses (zeros switch them off).
void SetExtraLimits(const ExtraLimits& limits);
const ExtraLimits& CurrentExtraLimits();

// Called by the root search as the analysis starts, once the node count is zero: the countdown to
// the first node check.
std::int32_t StartNodeTally();
// The countdown to the next node check: the time-check interval, shorter when a node budget ends sooner.
std::int32_t CountdownToNextCheck();
// The searching thread's node count past 32 bits: NodeCount when last read, and the wrap-arounds.
extern ZARN_PER_THREAD std::uint32_t LastNodeCount;
extern ZARN_PER_THREAD std::uint64_t WrappedNodes;

// The calling thread's nodes since the analysis started, past the 32 bits of the node count. Read at
// least once every 2^32 nodes (every node check does), so that no wrap-around is missed.
std::uint64_t ThreadNodes();
// Nodes since the analysis started over every thread that searches it (engine/threads/pool.h): the
// calling thread's own and what the others last published.
std::uint64_t SearchedNodes();
// The node budget is used up.
bool NodeLimitReached();
// The root's best line so far mates within the mate limit.
bool MateLimitReached();

}  // namespace zarn

// The node budget and the mate limit.
#include "engine/search/extra_limits.h"

#include <algorithm>

#include "engine/board/types.h"
#include "engine/search/root_result.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "engine/threads/pool.h"

namespace zarn {
namespace {

ExtraLimits extraLimits;

}  // namespace

ZARN_PER_THREAD std::uint32_t LastNodeCount = 0;
ZARN_PER_THREAD std::uint64_t WrappedNodes = 0;

void SetExtraLimits(const ExtraLimits& limits) {
    extraLimits = limits;
    // Mates beyond the deepest ply cannot be scored.
    extraLimits.MateMoves = std::clamp(extraLimits.MateMoves, 0, MaxPly / 2);
}

const ExtraLimits& CurrentExtraLimits() { return extraLimits; }

std::int32_t StartNodeTally() {
    LastNodeCount = NodeCount;
    WrappedNodes = 0;
    return CountdownToNextCheck();
}

std::uint64_t ThreadNodes() {
    if (NodeCount < LastNodeCount) WrappedNodes += std::uint64_t{1} << 32;
    LastNodeCount = NodeCount;
    return WrappedNodes + NodeCount;
}

std::uint64_t SearchedNodes() {
    if constexpr (ThreadedBuild) return ThreadNodes() + OtherThreadsNodes();
    return ThreadNodes();
}

std::int32_t CountdownToNextCheck() {
    std::int32_t interval = NodesPerTimeCheck;
    std::uint64_t searched = 0;
    if constexpr (ThreadedBuild) {
        const std::uint64_t own = ThreadNodes();
        PublishNodes(own);
        // With helpers every thread checks often: the others' counts it sums are that fresh. Under a
        // node budget, more often still, so that a total seen late by a check overshoots it by little.
        if (ActiveSearchThreads() > 1) {
            interval = HelperNodesPerCheck;
            if (extraLimits.Nodes != 0)
                interval = static_cast<std::int32_t>(std::min<std::uint64_t>(interval, extraLimits.Nodes / 256 + 1));
        }
        if (extraLimits.Nodes == 0) return interval;
        searched = own + OtherThreadsNodes();
    } else {
        if (extraLimits.Nodes == 0) return interval;
        searched = SearchedNodes();
    }
    if (searched >= extraLimits.Nodes) return 1;
    // Every thread of the analysis counts towards the budget. Alone a thread may use up what is left;
    // with others, whose counts it sees up to a check late, it takes half its share, so that the
    // checks come closer together as the budget runs out and the total overshoots it by little.
    const int threads = ActiveSearchThreads();
    const std::uint64_t share = (extraLimits.Nodes - searched) / static_cast<std::uint64_t>(threads == 1 ? 1 : 2 * threads);
    return static_cast<std::int32_t>(std::clamp<std::uint64_t>(share, 1, static_cast<std::uint64_t>(interval)));
}

bool NodeLimitReached() { return extraLimits.Nodes != 0 && SearchedNodes() >= extraLimits.Nodes; }

bool MateLimitReached() {
    if (extraLimits.MateMoves == 0) return false;
    const RootLine& best = BestRootLine();
    // Mate in n moves: the opponent is mated at ply 2n, which the root scores MateScore - 2n.
    return best.Moves[0] != 0 && best.Score >= MateScore - 2 * extraLimits.MateMoves;
}

}  // namespace zarn

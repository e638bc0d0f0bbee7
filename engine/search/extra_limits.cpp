// The node budget and the mate limit.
#include "engine/search/extra_limits.h"

#include <algorithm>

#include "engine/board/types.h"
#include "engine/search/root_result.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"

namespace zarn {
namespace {

ExtraLimits extraLimits;
std::uint32_t lastNodeCount = 0;
std::uint64_t wrappedNodes = 0;

}  // namespace

void SetExtraLimits(const ExtraLimits& limits) {
    extraLimits = limits;
    // Mates beyond the deepest ply cannot be scored.
    extraLimits.MateMoves = std::clamp(extraLimits.MateMoves, 0, MaxPly / 2);
}

const ExtraLimits& CurrentExtraLimits() { return extraLimits; }

std::int32_t StartNodeTally() {
    lastNodeCount = NodeCount;
    wrappedNodes = 0;
    return CountdownToNextCheck();
}

std::uint64_t SearchedNodes() {
    if (NodeCount < lastNodeCount) wrappedNodes += std::uint64_t{1} << 32;
    lastNodeCount = NodeCount;
    return wrappedNodes + NodeCount;
}

std::int32_t CountdownToNextCheck() {
    if (extraLimits.Nodes == 0) return NodesPerTimeCheck;
    const std::uint64_t searched = SearchedNodes();
    if (searched >= extraLimits.Nodes) return 1;
    return static_cast<std::int32_t>(std::min<std::uint64_t>(extraLimits.Nodes - searched, NodesPerTimeCheck));
}

bool NodeLimitReached() { return extraLimits.Nodes != 0 && SearchedNodes() >= extraLimits.Nodes; }

bool MateLimitReached() {
    if (extraLimits.MateMoves == 0) return false;
    const RootLine& best = BestRootLine();
    // Mate in n moves: the opponent is mated at ply 2n, which the root scores MateScore - 2n.
    return best.Moves[0] != 0 && best.Score >= MateScore - 2 * extraLimits.MateMoves;
}

}  // namespace zarn

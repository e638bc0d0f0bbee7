// The root search: iterative deepening over the legal root moves with aspiration windows.
#pragma once

#include <cstdint>

#include "engine/board/types.h"

namespace zarn {

// The root move being searched and its 1-based index among the root moves.
extern Move CurrentRootMove;
extern std::int32_t CurrentRootMoveIndex;
// Raised while a new best move is being confirmed or the first move's score drops; reset per iteration.
extern std::int32_t RootInstability;
// Iteration depth (1/60 ply) at which a move other than the first last became best.
extern std::int32_t BestMoveChangeDepth;

// Searches the current position for side: 1 when it has no legal move, else 0 once the search ends.
int RootSearch(int side);

}  // namespace zarn

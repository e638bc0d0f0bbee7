// The root search: iterative deepening over the legal root moves with aspiration windows.
#pragma once

#include <cstdint>

#include "engine/board/types.h"
#include "engine/threads/per_thread.h"

namespace zarn {

// The root move being searched and its 1-based index among the root moves.
extern ZARN_PER_THREAD Move CurrentRootMove;
extern ZARN_PER_THREAD std::int32_t CurrentRootMoveIndex;
// Raised while a new best move is being confirmed or the first move's score drops; reset per iteration.
extern ZARN_PER_THREAD std::int32_t RootInstability;
// Iteration depth (1/60 ply) at which a move other than the first last became best.
extern ZARN_PER_THREAD std::int32_t BestMoveChangeDepth;

// Searches the current position for side: 1 when it has no legal move, else 0 once the search ends.
int RootSearch(int side);

// A helper thread's search beside the main searcher (engine/threads/pool.h), on a copy of the main
// searcher's prepared root: the same iterative deepening over the same root moves, without time
// checks, reports or results of its own. It ends when the stop flag is raised or after the deepest
// iteration. Helper number `helper` of `threads` searching threads takes the root moves in an order
// of its own.
void HelperRootSearch(int side, int helper, int threads);

}  // namespace zarn

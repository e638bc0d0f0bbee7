// Lines that the search cut short where it took a score from the transposition table, continued
// with the moves the table holds, for the program's own reports.
#pragma once

#include "engine/search/root_result.h"

namespace zarn {

// Continues the line with the table's moves up to its iteration depth: each move must be legal in
// the position reached, its entry exact or a lower bound, and the walk ends after a move that repeats
// a position of the line or the game. The current position must be the line's root, as while the
// search waits at its root or once it has ended (its legal root moves still in place). The position,
// the search stack and the table are left as they were, so a search that goes on cannot tell.
void ExtendLineFromTable(RootLine& line);

}  // namespace zarn

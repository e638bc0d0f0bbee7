// The table of moves being searched, shared by the threads of the program's searches.
#include "engine/threads/busy_moves.h"

namespace zarn {

BusyMoves SharedBusyMoves;

}  // namespace zarn

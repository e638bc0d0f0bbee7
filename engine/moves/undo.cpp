// Taking a move back: the White and Black instances of the undo steps.
#include "engine/moves/undo_steps.h"

namespace zarn {

template void UnmakeMoveOf<White>(Move, int);
template void UnmakeMoveOf<Black>(Move, int);

void UnmakeMoveWhite(Move move, int ply) { UnmakeMoveOf<White>(move, ply); }
void UnmakeMoveBlack(Move move, int ply) { UnmakeMoveOf<Black>(move, ply); }

}  // namespace zarn

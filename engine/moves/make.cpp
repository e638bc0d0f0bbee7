// Playing a move: the White and Black instances of the make steps.
#include "engine/moves/make_steps.h"

namespace zarn {

template void MakeMoveOf<White>(Move, int);
template void MakeMoveOf<Black>(Move, int);

void MakeMoveWhite(Move move, int ply) { MakeMoveOf<White>(move, ply); }
void MakeMoveBlack(Move move, int ply) { MakeMoveOf<Black>(move, ply); }

}  // namespace zarn

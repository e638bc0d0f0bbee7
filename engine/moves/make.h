// Playing a move on the current position and taking it back, at one ply of the search stack.
//
// MakeMove keeps every derived part of the position up to date and writes the keys of the position
// after the move into the next ply's record, so taking the move back never has to restore keys.
// UnmakeMove works from the move's own fields and the ply's en-passant square; it must be called with
// the same side, move and ply, before any other move is made at that ply. Neither tests legality:
// the caller asks afterwards whether the mover's king is attacked. The ply must be below MaxPly - 1.
#pragma once

#include "engine/board/types.h"

namespace zarn {

// The colour templates; their steps live in make_steps.h and undo_steps.h, for callers that want
// them inlined.
template <int Side> void MakeMoveOf(Move move, int ply);
template <int Side> void UnmakeMoveOf(Move move, int ply);

void MakeMoveWhite(Move move, int ply);
void MakeMoveBlack(Move move, int ply);
void UnmakeMoveWhite(Move move, int ply);
void UnmakeMoveBlack(Move move, int ply);

inline void MakeMove(int side, Move move, int ply) {
    side == White ? MakeMoveWhite(move, ply) : MakeMoveBlack(move, ply);
}
inline void UnmakeMove(int side, Move move, int ply) {
    side == White ? UnmakeMoveWhite(move, ply) : UnmakeMoveBlack(move, ply);
}

}  // namespace zarn

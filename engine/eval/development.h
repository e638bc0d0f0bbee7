// The opening development term written inline, so that the evaluation reads it without a call;
// DevelopmentParts returns it.
#pragma once

#include "engine/board/board.h"
#include "engine/board/types.h"
#include "engine/eval/trace.h"

namespace zarn {

// The size of a set that seldom has more than one member, one step per member.
constexpr int SparseCount(Bitboard b) {
    int n = 0;
    for (; b; b &= b - 1) ++n;
    return n;
}

// Queens off their squares and lost castling without having castled, each side's own share.
inline SideParts InlineDevelopmentParts() {
    SideParts parts;
    parts.white -= 15 * SparseCount(Sides[White].Queens & ~(Bitboard{1} << D1));
    parts.black -= 15 * SparseCount(Sides[Black].Queens & ~(Bitboard{1} << D8));
    const bool whiteLost = MoveCount[E1] != 0 || (MoveCount[A1] != 0 && MoveCount[H1] != 0);
    const bool blackLost = MoveCount[E8] != 0 || (MoveCount[A8] != 0 && MoveCount[H8] != 0);
    if (!Sides[White].Castled && whiteLost) parts.white -= 35;
    if (!Sides[Black].Castled && blackLost) parts.black -= 35;
    return parts;
}

}  // namespace zarn

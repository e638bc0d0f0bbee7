// Referee's draw rule for the bench programs that play games: neither side can mate with kings alone,
// or with one minor piece on the board.
#pragma once

#include <cstdlib>

#include "engine/board/board.h"

namespace zarn::bench {

inline bool BareMaterial() {
    int minors = 0;
    for (const int piece : zarn::Board) {
        const int kind = std::abs(piece);
        if (kind == zarn::Pawn || kind == zarn::Rook || kind == zarn::Queen) return false;
        if (kind == zarn::Knight || kind == zarn::Bishop) ++minors;
    }
    return minors <= 1;
}

}  // namespace zarn::bench

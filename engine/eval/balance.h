// The material balance written inline, so that the evaluation reads it without a call:
// MaterialImbalance and MaterialBalance return these.
#pragma once

#include "engine/board/board.h"
#include "engine/interface/options.h"

namespace zarn {

// The trade imbalance term (0 when both sides are nearly out of pieces).
inline int TradeImbalance() {
    const SideRecord& w = Sides[White];
    const SideRecord& b = Sides[Black];
    if (w.PieceMaterial < 4 && b.PieceMaterial < 4) return 0;

    const int x = Options.MaterialTrade;
    const int mw = w.MinorCount, mb = b.MinorCount;
    const int majorW = w.MajorCount, majorB = b.MajorCount;
    const bool whiteQueenOnly = w.Queens && !b.Queens;
    const bool blackQueenOnly = b.Queens && !w.Queens;

    if (mw == mb) {
        if (majorW == majorB) return whiteQueenOnly ? x : blackQueenOnly ? -x : 0;
        return majorW > majorB ? x : -x;
    }
    if (majorW == majorB) return mw > mb ? x : -x;
    // A major piece against minor pieces: the side with the major piece needs more than one minor
    // piece's worth to be worse off.
    if (majorB == majorW + 1) {
        if (mw >= mb + 2) return x;
        if (mw <= mb) return 0;
        return blackQueenOnly ? -(x / 2) : 0;
    }
    if (majorW == majorB + 1) {
        if (mb >= mw + 2) return -x;
        if (mb <= mw) return 0;
        return whiteQueenOnly ? x / 2 : 0;
    }
    if (majorB == majorW + 2) return mw >= mb + 3 ? x : 0;
    if (majorW == majorB + 2) return mb >= mw + 3 ? -x : 0;
    return 0;
}

// Material difference plus the trade imbalance term.
inline int InlineMaterialBalance() { return Sides[White].Material - Sides[Black].Material + TradeImbalance(); }

}  // namespace zarn

// The three bit primitives of the engine: count, lowest member, highest member.
#pragma once

#include <bit>

#include "engine/board/types.h"

namespace zarn {

constexpr int PopCount(Bitboard b) { return std::popcount(b); }

// Lowest member; 64 for the empty set.
constexpr int FirstBit(Bitboard b) { return std::countr_zero(b); }

// Highest member; 64 for the empty set.
constexpr int LastBit(Bitboard b) { return b ? 63 - std::countl_zero(b) : 64; }

// Lowest member, removed from the set.
inline int PopFirstBit(Bitboard& b) {
    const int square = FirstBit(b);
    b &= b - 1;
    return square;
}

}  // namespace zarn

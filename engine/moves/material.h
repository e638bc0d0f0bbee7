// What one piece adds to the position: its bit in the plain and the three rotated orders, the piece
// set it lives in, and (from piece_values.h) its share of the side's counters. Shared by make and
// undo. Internal to engine/moves.
#pragma once

#include <array>

#include "engine/board/board.h"
#include "engine/board/piece_values.h"
#include "engine/board/tables.h"

namespace zarn::movegen {

// The side's set for a piece kind. A king has no set of its own: it lives in Occupied alone.
inline constexpr Bitboard SideRecord::* PieceSets[8] = {
    &SideRecord::Occupied, &SideRecord::Pawns, &SideRecord::Knights, &SideRecord::Bishops,
    &SideRecord::Rooks,    &SideRecord::Queens, &SideRecord::Occupied, &SideRecord::Occupied,
};
inline Bitboard& PieceSetOf(SideRecord& side, int kind) { return side.*PieceSets[kind & 7]; }

template <int Side>
inline Key KeyOf(int kind, int square) {
    return ZobristKeys[(Side == White ? 0 : 6) + kind - 1][square];
}

// One square's bit in the plain order and in each rotated occupancy order.
struct SquareBits {
    Bitboard plain, rot90, a1h8, a8h1;
};

constexpr std::array<SquareBits, 64> BuildSquareBits() {
    std::array<SquareBits, 64> bits{};
    for (int square = 0; square < 64; ++square) {
        const int file = FileOf(square);
        const int rank = RankOf(square);
        bits[square].plain = Bitboard{1} << square;
        bits[square].rot90 = Bitboard{1} << (8 * file + 7 - rank);
        bits[square].a1h8 = Bitboard{1} << (8 * ((rank - file + 8) % 8) + file);
        bits[square].a8h1 = Bitboard{1} << (8 * ((rank + file) % 8) + file);
    }
    return bits;
}
inline constexpr std::array<SquareBits, 64> SquareBit = BuildSquareBits();

// Flips squares in the three rotated occupancies: empties an occupied square, fills an empty one.
inline void ToggleRotated(int square) {
    const SquareBits& bits = SquareBit[square];
    OccupiedRot90 ^= bits.rot90;
    OccupiedA1H8 ^= bits.a1h8;
    OccupiedA8H1 ^= bits.a8h1;
}
inline void ToggleRotated(int first, int second) {
    const SquareBits& a = SquareBit[first];
    const SquareBits& b = SquareBit[second];
    OccupiedRot90 ^= a.rot90 ^ b.rot90;
    OccupiedA1H8 ^= a.a1h8 ^ b.a1h8;
    OccupiedA8H1 ^= a.a8h1 ^ b.a8h1;
}

}  // namespace zarn::movegen

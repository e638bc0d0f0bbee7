// What one piece adds to its side record: the piece set it lives in and its share of the counters.
// Shared by make and undo. Internal to engine/moves.
#pragma once

#include "engine/board/board.h"
#include "engine/board/tables.h"

namespace zarn::movegen {

struct KindWeights {
    int material;       // centipawns
    int pieceMaterial;  // pawn units, pawns excluded
    int minors;
    int majors;
    int pawns;
};

// By piece kind; the king counts nothing.
inline constexpr KindWeights Weights[7] = {
    {0, 0, 0, 0, 0},   {100, 0, 0, 0, 1}, {300, 3, 1, 0, 0}, {300, 3, 1, 0, 0},
    {500, 5, 0, 1, 0}, {900, 9, 0, 2, 0}, {0, 0, 0, 0, 0},
};

// Adds (sign +1) or removes (sign -1) one piece of the kind from the side's counters.
inline void CountPiece(SideRecord& side, int kind, int sign) {
    const KindWeights& w = Weights[kind];
    side.Material += sign * w.material;
    side.PieceMaterial += sign * w.pieceMaterial;
    side.MinorCount += sign * w.minors;
    side.MajorCount += sign * w.majors;
    side.PawnCount += sign * w.pawns;
}

// The side's set for a piece kind. A king has no set of its own: it lives in Occupied alone.
inline Bitboard& PieceSetOf(SideRecord& side, int kind) {
    switch (kind) {
        case Pawn: return side.Pawns;
        case Knight: return side.Knights;
        case Bishop: return side.Bishops;
        case Rook: return side.Rooks;
        case Queen: return side.Queens;
        default: return side.Occupied;
    }
}

template <int Side>
inline Key KeyOf(int kind, int square) {
    return ZobristKeys[(Side == White ? 0 : 6) + kind - 1][square];
}

// The three rotated occupancies, worked on as one unit.
struct RotatedOccupancy {
    Bitboard rot90, a1h8, a8h1;

    static RotatedOccupancy Current() { return {OccupiedRot90, OccupiedA1H8, OccupiedA8H1}; }
    void Store() const {
        OccupiedRot90 = rot90;
        OccupiedA1H8 = a1h8;
        OccupiedA8H1 = a8h1;
    }
    void Clear(int square) {
        rot90 &= ClearMaskRot90[square];
        a1h8 &= ClearMaskA1H8[square];
        a8h1 &= ClearMaskA8H1[square];
    }
    void Set(int square) {
        rot90 |= SetMaskRot90[square];
        a1h8 |= SetMaskA1H8[square];
        a8h1 |= SetMaskA8H1[square];
    }
};

}  // namespace zarn::movegen

// What each piece kind is worth: its material in the side records and its value in an exchange.
#pragma once

#include "engine/board/board.h"
#include "engine/board/types.h"

namespace zarn {

// Centipawns by piece kind (empty, pawn .. king); the king counts no material.
inline constexpr int MaterialValue[7] = {0, 100, 300, 300, 500, 900, 0};

// Exchange values by piece kind, the same for both colours: the material, and a king worth more than
// any exchange can win.
inline constexpr int KingExchangeValue = 3000;
inline constexpr int PieceValue[7] = {MaterialValue[0],    MaterialValue[Pawn],  MaterialValue[Knight],
                                      MaterialValue[Bishop], MaterialValue[Rook], MaterialValue[Queen],
                                      KingExchangeValue};

// What one piece adds to its side's counters.
struct KindWeights {
    int material;       // centipawns
    int pieceMaterial;  // pawn units, pawns excluded
    int minors;
    int majors;  // rook 1, queen 2
    int pawns;
};

inline constexpr KindWeights Weights[7] = {
    {MaterialValue[Empty], 0, 0, 0, 0},
    {MaterialValue[Pawn], 0, 0, 0, 1},
    {MaterialValue[Knight], MaterialValue[Knight] / MaterialValue[Pawn], 1, 0, 0},
    {MaterialValue[Bishop], MaterialValue[Bishop] / MaterialValue[Pawn], 1, 0, 0},
    {MaterialValue[Rook], MaterialValue[Rook] / MaterialValue[Pawn], 0, 1, 0},
    {MaterialValue[Queen], MaterialValue[Queen] / MaterialValue[Pawn], 0, 2, 0},
    {MaterialValue[King], 0, 0, 0, 0},
};

// Adds (Sign +1) or removes (Sign -1) one piece of the kind from the side's counters.
template <int Sign>
inline void CountPiece(SideRecord& side, int kind) {
    const KindWeights& w = Weights[kind];
    side.Material += Sign * w.material;
    side.PieceMaterial += Sign * w.pieceMaterial;
    side.MinorCount += Sign * w.minors;
    side.MajorCount += Sign * w.majors;
    side.PawnCount += Sign * w.pawns;
}

}  // namespace zarn

// The eleven base piece-square tables of the evaluation and each side's own copy of them.
// Base tables are in White's orientation: index = square, rank 1 first, files a..h.
#pragma once

#include <cstdint>

#include "engine/board/types.h"

namespace zarn {

// The eleven tables, in the order of the side copies.
enum PieceSquareTable : int {
    KnightOutpostTable,
    PawnTable,
    KnightTable,
    BishopTable,
    RookTable,
    QueenTable,
    KingEndgameQueenSide,  // pawns only on files a-d
    KingEndgameKingSide,   // pawns only on files e-h
    KingEndgameBothWings,  // pawns on both wings
    KingZoneBase,          // starting danger of a king by its square
    SafetyBase,            // penalty by king danger 0..63 (indexed by danger, not by square)
    PieceSquareTableCount
};

// clang-format off
inline constexpr std::int32_t BaseTables[PieceSquareTableCount][64] = {
    // KnightOutpostTable
    {  0,   0,   0,   0,   0,   0,   0,   0,
       0,   0,   0,   0,   0,   0,   0,   0,
       0,   0,   0,   0,   0,   0,   0,   0,
       0,   0,   0,   6,   6,   0,   0,   0,
       0,   0,  12,  16,  16,  12,   0,   0,
       0,   0,  12,  20,  20,  12,   0,   0,
       0,   0,   4,   8,   8,   4,   0,   0,
       0,   0,   0,   0,   0,   0,   0,   0},
    // PawnTable
    {  0,   0,   0,   0,   0,   0,   0,   0,
       0,   3,   6,  -7,  -7,   6,   3,   0,
       3,   6,   9,  12,  12,   9,   6,   3,
       6,   9,  12,  15,  15,  12,   9,   6,
       9,  12,  15,  18,  18,  15,  12,   9,
      22,  25,  28,  31,  31,  28,  25,  22,
      25,  28,  31,  34,  34,  31,  28,  25,
       0,   0,   0,   0,   0,   0,   0,   0},
    // KnightTable
    { -8,  -8,  -8,  -8,  -8,  -8,  -8,  -8,
      -8,  -8,   0,   0,   0,   0,  -8,  -8,
      -8,   2,   2,   2,   2,   2,   2,  -8,
      -8,   2,   4,   4,   4,   4,   2,  -8,
      -8,   2,   6,   6,   6,   6,   2,  -8,
      -8,   2,   6,   6,   6,   6,   2,  -8,
     -24, -24,   4,   4,   4,   4, -24, -24,
     -32, -16,  -8,  -8,  -8,  -8, -16, -32},
    // BishopTable
    {-16, -16,  -8,  -8,  -8,  -8, -16, -16,
     -16,   2,   0,   0,   0,   0,   2, -16,
      -4,   2,   2,   2,   2,   2,   2,  -4,
      -4,   2,   4,   4,   4,   4,   2,  -4,
      -4,   2,   6,   6,   6,   6,   2,  -4,
      -4,   2,   6,   6,   6,   6,   2,  -4,
     -16,   2,   4,   4,   4,   4,   2, -16,
     -16, -16,   0,   0,   0,   0, -16, -16},
    // RookTable
    {  0,   0,   4,   6,   6,   4,   0,   0,
       0,   0,   4,   6,   6,   4,   0,   0,
       0,   0,   4,   6,   6,   4,   0,   0,
       0,   0,   4,   6,   6,   4,   0,   0,
       0,   0,   4,   6,   6,   4,   0,   0,
       0,   0,   4,   6,   6,   4,   0,   0,
       0,   0,   4,   6,   6,   4,   0,   0,
       0,   0,   4,   6,   6,   4,   0,   0},
    // QueenTable
    {-10,  -8,   0,   0,   0,   0,  -8, -10,
     -10,   2,   8,   8,   8,   8,   2, -10,
     -10, -10,   4,  10,  10,   4, -10, -10,
     -10,   2,  10,  12,  12,  10,   2, -10,
       0,   2,  10,  12,  12,  10,   2,   0,
       0,   2,   4,  10,  10,   4,   2,   0,
     -15,   0,   4,   5,   5,   4,   0, -15,
       0,   0,   0,   0,   0,   0,   0,   0},
    // KingEndgameQueenSide
    {-30, -20, -20, -30, -40, -50, -70, -90,
     -10, -10, -10, -10, -20, -30, -50, -70,
       0,  20,  20,  10, -10, -30, -50, -70,
       0,  30,  30,  20, -10, -30, -50, -70,
       0,  30,  30,  20, -10, -30, -50, -70,
       0,  20,  20,  10, -10, -30, -50, -70,
     -10, -10, -10, -10, -20, -30, -50, -70,
     -30, -30, -30, -30, -30, -50, -70, -90},
    // KingEndgameKingSide
    {-90, -70, -50, -40, -30, -20, -20, -30,
     -70, -50, -30, -20, -10, -10, -10, -10,
     -70, -50, -30, -10,  10,  20,  20,   0,
     -70, -50, -30, -10,  20,  30,  30,   0,
     -70, -50, -30, -10,  20,  30,  30,   0,
     -70, -50, -30, -10,  10,  20,  20,   0,
     -70, -50, -30, -30, -10, -10, -10, -10,
     -90, -70, -50, -30, -30, -30, -30, -30},
    // KingEndgameBothWings
    {-50, -40, -30, -20, -20, -30, -40, -50,
     -30, -20, -10,   0,   0, -10, -20, -30,
     -30, -10,   0,  10,  10,   0, -10, -30,
     -30, -10,  10,  20,  20,  10, -10, -30,
     -30, -10,  20,  30,  30,  20, -10, -30,
     -30, -10,  20,  30,  30,  20, -10, -30,
     -30, -30, -10, -10, -10, -10, -30, -30,
     -50, -30, -30, -30, -30, -30, -30, -50},
    // KingZoneBase
    {  1,   0,   2,   3,   3,   2,   0,   1,
       1,   1,   2,   3,   3,   2,   1,   1,
       3,   3,   3,   3,   3,   3,   3,   3,
       4,   4,   4,   4,   4,   4,   4,   4,
       5,   5,   5,   5,   5,   5,   5,   5,
       6,   6,   6,   6,   6,   6,   6,   6,
       7,   7,   7,   7,   7,   7,   7,   7,
       8,   8,   8,   8,   8,   8,   8,   8},
    // SafetyBase
    {  0,   4,  15,  24,  36,  42,  54,  72,
      81,  84,  87,  90,  93,  96,  99, 102,
     105, 108, 111, 114, 117, 120, 124, 127,
     127, 127, 127, 127, 127, 127, 127, 127,
     127, 127, 127, 127, 127, 127, 127, 127,
     127, 127, 127, 127, 127, 127, 127, 127,
     127, 127, 127, 127, 127, 127, 127, 127,
     127, 127, 127, 127, 127, 127, 127, 127},
};
// clang-format on

// Each side's copies, indexed by the real square: White's as the base, Black's with ranks reversed.
// [side][table][square]; side as in types.h (Black = 0, White = 1).
extern std::int32_t SideTables[2][PieceSquareTableCount][64];

// Fills both sides' copies, clears both history tables and both Castled flags.
void PrepareSideTables();

}  // namespace zarn

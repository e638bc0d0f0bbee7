// Sliding attacks of a square on the current occupancy: one shift, one mask, one load per line.
#pragma once

#include "engine/board/board.h"
#include "engine/board/tables.h"

namespace zarn {

inline Bitboard RankAttacksOf(int square) {
    return RankAttacks[square][(AllPieces() >> RankShift[square]) & 255];
}
inline Bitboard FileAttacksOf(int square) {
    return FileAttacks[square][(OccupiedRot90 >> FileShift[square]) & 255];
}
inline Bitboard DiagA1H8AttacksOf(int square) {
    return DiagA1H8Attacks[square][(OccupiedA1H8 >> DiagA1H8Shift[square]) & 255];
}
inline Bitboard DiagA8H1AttacksOf(int square) {
    return DiagA8H1Attacks[square][(OccupiedA8H1 >> DiagA8H1Shift[square]) & 255];
}
inline Bitboard RookAttacksOf(int square) { return RankAttacksOf(square) | FileAttacksOf(square); }
inline Bitboard BishopAttacksOf(int square) { return DiagA1H8AttacksOf(square) | DiagA8H1AttacksOf(square); }
inline Bitboard QueenAttacksOf(int square) { return RookAttacksOf(square) | BishopAttacksOf(square); }

}  // namespace zarn

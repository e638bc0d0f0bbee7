// Tables computed once at start-up from the empty board; read-only afterwards.
#pragma once

#include <cstdint>

#include "engine/board/lines.h"
#include "engine/board/types.h"

namespace zarn {

// Constant colour data.
extern const int DarkSquare[64];

// Square masks in the plain and the three rotated orders.
extern Bitboard SetMask[64], ClearMask[64];
extern Bitboard SetMaskRot90[64], SetMaskA1H8[64], SetMaskA8H1[64];
extern Bitboard ClearMaskRot90[64], ClearMaskA1H8[64], ClearMaskA8H1[64];

// Shift bringing a square's line to bits 0-7 of the matching occupancy.
extern int RankShift[64], FileShift[64], DiagA1H8Shift[64], DiagA8H1Shift[64];

// Sliding attacks by square and line occupancy byte.
extern Bitboard RankAttacks[64][256];
extern Bitboard FileAttacks[64][256];
extern Bitboard DiagA1H8Attacks[64][256];
extern Bitboard DiagA8H1Attacks[64][256];
extern std::uint32_t DiagA1H8Mobility[64][256];
extern std::uint32_t DiagA8H1Mobility[64][256];

extern Bitboard KnightAttacks[64], KingAttacks[64];
extern Bitboard WhitePawnAttacks[64], BlackPawnAttacks[64];

extern std::uint8_t FileDistance[64][64], RankDistance[64][64], Distance[64][64];
extern std::uint8_t LowestBitOfByte[256];

extern Bitboard FileMask[8], RankMask[8];
extern Bitboard NotFileA, NotFileH;
extern Bitboard LightSquares, DarkSquares;
extern Bitboard QueenSideFiles, KingSideFiles, InnerFiles;
extern Bitboard RookPawnsRank2, RookPawnsRank7;
extern Bitboard CornerA1, CornerH1, CornerA8, CornerH8;
extern Bitboard AdjacentFiles[64];
extern Bitboard WhitePassedMask[64], BlackPassedMask[64];
extern Bitboard AdjacentFilesBelow[64], AdjacentFilesAbove[64];

// Ray, DiagonalLines and StraightLines are in lines.h. By square pair: the step (+-1, +-7, +-8, +-9)
// of a shared line, 0 for none; the squares between; a check's evasion targets.
extern Bitboard Between[64][64];
extern Bitboard EvasionMask[64][64];
extern int Direction[64][64];

// Zobrist keys: [0..5] White pawn..king, [6..11] Black pawn..king.
extern Key ZobristKeys[12][64];
extern Key EpKeys[64];

constexpr int ZobristIndex(int colour, int kind) { return (colour == White ? 0 : 6) + kind - 1; }
inline Key PieceSquareKey(int colour, int kind, int square) { return ZobristKeys[ZobristIndex(colour, kind)][square]; }

// Start-up: every table, the keys, the start position, the option defaults.
void InitialiseEngine();

// The tables that depend only on the empty board, built unless a start-up has built them: enough to
// set up a position and ask the attack queries before any start-up. The keys are left alone (their
// generator is never reseeded, so drawing them here would change a later start-up's keys).
void EnsureBoardTables();

}  // namespace zarn

// Storage of the start-up tables, and the square colours the program carries as data.
#include "engine/board/tables.h"

namespace zarn {

// a1 is dark: a square is dark when its file and rank have the same parity.
extern const int DarkSquare[64] = {
    1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 1,
    1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 1,
};

Bitboard SetMask[64], ClearMask[64];
Bitboard SetMaskRot90[64], SetMaskA1H8[64], SetMaskA8H1[64];
Bitboard ClearMaskRot90[64], ClearMaskA1H8[64], ClearMaskA8H1[64];

int RankShift[64], FileShift[64], DiagA1H8Shift[64], DiagA8H1Shift[64];

Bitboard RankAttacks[64][256];
Bitboard FileAttacks[64][256];
Bitboard DiagA1H8Attacks[64][256];
Bitboard DiagA8H1Attacks[64][256];
std::uint32_t DiagA1H8Mobility[64][256];
std::uint32_t DiagA8H1Mobility[64][256];

Bitboard KnightAttacks[64], KingAttacks[64];
Bitboard WhitePawnAttacks[64], BlackPawnAttacks[64];

std::uint8_t FileDistance[64][64], RankDistance[64][64], Distance[64][64];
std::uint8_t LowestBitOfByte[256];

Bitboard FileMask[8], RankMask[8];
Bitboard NotFileA, NotFileH;
Bitboard LightSquares, DarkSquares;
Bitboard QueenSideFiles, KingSideFiles, InnerFiles;
Bitboard RookPawnsRank2, RookPawnsRank7;
Bitboard CornerA1, CornerH1, CornerA8, CornerH8;
Bitboard AdjacentFiles[64];
Bitboard WhitePassedMask[64], BlackPassedMask[64];
Bitboard AdjacentFilesBelow[64], AdjacentFilesAbove[64];

Bitboard Between[64][64];
Bitboard EvasionMask[64][64];
int Direction[64][64];

Key ZobristKeys[12][64];
Key EpKeys[64];

}  // namespace zarn

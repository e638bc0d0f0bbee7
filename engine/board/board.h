// The current position: mailbox, side records, rotated occupancies, castling counters, game history.
// One position per searching thread (see engine/threads/per_thread.h); every engine module reads and
// changes it in place.
#pragma once

#include <array>
#include <cstdint>

#include "engine/board/types.h"
#include "engine/threads/per_thread.h"

namespace zarn {

struct SideRecord {
    Bitboard Pawns = 0;
    Bitboard Knights = 0;
    Bitboard Bishops = 0;
    Bitboard Rooks = 0;
    Bitboard Queens = 0;
    Bitboard Occupied = 0;  // every piece of the side, king included
    std::int32_t MinorCount = 0;
    std::int32_t MajorCount = 0;     // rook 1, queen 2
    std::int32_t PieceMaterial = 0;  // pawn units: knight 3, bishop 3, rook 5, queen 9
    std::int32_t PawnCount = 0;
    std::int32_t Material = 0;  // centipawns without the king
    std::int32_t Castled = 0;
    std::int32_t KingSquare = 0;
};

// Side records indexed by colour (Black = 0, White = 1).
extern ZARN_PER_THREAD SideRecord Sides[2];
#if !ZARN_THREADED
// Names for the library's one position (a threaded build has one per thread and no such alias).
inline SideRecord& WhitePieces = Sides[White];
inline SideRecord& BlackPieces = Sides[Black];
#endif

extern ZARN_PER_THREAD std::int32_t Board[64];      // +kind White, -kind Black, 0 empty
extern ZARN_PER_THREAD std::int32_t MoveCount[64];  // castling counters: a wing may castle while king and rook squares are 0
extern ZARN_PER_THREAD int SideToMove;

extern ZARN_PER_THREAD Bitboard OccupiedRot90;
extern ZARN_PER_THREAD Bitboard OccupiedA1H8;
extern ZARN_PER_THREAD Bitboard OccupiedA8H1;

inline Bitboard AllPieces() { return Sides[White].Occupied | Sides[Black].Occupied; }

// Game history for repetition detection. One entry more than the replay limit needs, so that
// entry GamePly + 1 exists when GamePly reaches its limit.
inline constexpr int GameHistorySize = 1001;
inline constexpr int GameReplayLimit = 999;
extern ZARN_PER_THREAD int GamePly;
extern ZARN_PER_THREAD int LastIrreversiblePly;
extern ZARN_PER_THREAD Key GamePawnKeys[GameHistorySize];
extern ZARN_PER_THREAD Key GamePieceKeys[GameHistorySize];

// Square text.
char FileLetter(int file);
char RankDigit(int rank);
const char* SquareName(int square, char* buffer);

}  // namespace zarn

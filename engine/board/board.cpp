// Storage of each searching thread's position and the square text helpers.
#include "engine/board/board.h"

namespace zarn {

ZARN_PER_THREAD SideRecord Sides[2];

ZARN_PER_THREAD std::int32_t Board[64];
ZARN_PER_THREAD std::int32_t MoveCount[64];
ZARN_PER_THREAD int SideToMove = White;

ZARN_PER_THREAD Bitboard OccupiedRot90 = 0;
ZARN_PER_THREAD Bitboard OccupiedA1H8 = 0;
ZARN_PER_THREAD Bitboard OccupiedA8H1 = 0;

ZARN_PER_THREAD int GamePly = 0;
ZARN_PER_THREAD int LastIrreversiblePly = 0;
ZARN_PER_THREAD Key GamePawnKeys[GameHistorySize];
ZARN_PER_THREAD Key GamePieceKeys[GameHistorySize];

char FileLetter(int file) { return file >= 0 && file < 8 ? static_cast<char>('a' + file) : '-'; }

char RankDigit(int rank) { return rank >= 0 && rank < 8 ? static_cast<char>('1' + rank) : '-'; }

const char* SquareName(int square, char* buffer) {
    if (square < 0 || square > 63) return "--";
    buffer[0] = FileLetter(FileOf(square));
    buffer[1] = RankDigit(RankOf(square));
    buffer[2] = '\0';
    return buffer;
}

}  // namespace zarn

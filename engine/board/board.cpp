// Storage of the current position and the square text helpers.
#include "engine/board/board.h"

namespace zarn {

SideRecord Sides[2];

std::int32_t Board[64];
std::int32_t MoveCount[64];
int SideToMove = White;

Bitboard OccupiedRot90 = 0;
Bitboard OccupiedA1H8 = 0;
Bitboard OccupiedA8H1 = 0;

int GamePly = 0;
int LastIrreversiblePly = 0;
Key GamePawnKeys[GameHistorySize];
Key GamePieceKeys[GameHistorySize];

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

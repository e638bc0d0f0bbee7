// The per-side piece-square copies made at start-up.
#include "engine/eval/tables.h"

#include "engine/board/board.h"
#include "engine/search/history.h"

namespace zarn {

std::int32_t SideTables[2][PieceSquareTableCount][64];

void PrepareSideTables() {
    for (int table = 0; table < PieceSquareTableCount; ++table) {
        for (int square = 0; square < 64; ++square) {
            const int mirrored = MakeSquare(FileOf(square), 7 - RankOf(square));
            SideTables[White][table][square] = BaseTables[table][square];
            SideTables[Black][table][square] = BaseTables[table][mirrored];
        }
    }
    ClearHistory();
    Sides[White].Castled = 0;
    Sides[Black].Castled = 0;
}

}  // namespace zarn

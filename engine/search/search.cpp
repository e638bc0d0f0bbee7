// The alpha-beta search: one template on the colour, SearchWhite and SearchBlack its instances.
#include "engine/search/search.h"

#include "engine/board/board.h"
#include "engine/search/stack.h"

namespace zarn {

std::uint32_t NodeCount = 0;
std::int32_t NodeCountdown = NodesPerTimeCheck;
std::atomic<std::int32_t> StopFlag{0};

void UpdatePv(Move move, int ply) {
    Move* row = SearchStack[ply].Pv;
    row[ply] = move;
    if (ply + 1 >= MaxPly) return;
    const Move* next = SearchStack[ply + 1].Pv;
    int i = ply + 1;
    for (; i < MaxPly - 1 && next[i] != 0; ++i) row[i] = next[i];
    row[i] = 0;
}

int IsRepetition(int ply) {
    const Key pawnKey = SearchStack[ply].PawnKey;
    const Key pieceKey = SearchStack[ply].PieceKey;
    int k = ply - 4;
    for (; k >= 1; k -= 2)
        if (SearchStack[k].PawnKey == pawnKey && SearchStack[k].PieceKey == pieceKey) return 1;
    for (int i = GamePly + k; i > LastIrreversiblePly && i >= 0; i -= 2)
        if (GamePawnKeys[i] == pawnKey && GamePieceKeys[i] == pieceKey) return 1;
    return 0;
}

}  // namespace zarn

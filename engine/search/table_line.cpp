// Continuing a root line from the transposition table.
#include "engine/search/table_line.h"

#include <algorithm>

#include "engine/board/board.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "engine/search/hash.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"

namespace zarn {
namespace {

// The records of the plies the walk uses, put back afterwards: the killers, keys and variations in
// them steer the search that goes on.
PlyRecord savedPlies[MaxPly];

bool IsRootMove(Move move) {
    for (int i = MoveStart(1); i < SearchStack[1].MoveEnd; ++i)
        if (MoveBuffer[i] == move) return true;
    return false;
}

// Makes the move at ply when the side may play it: one of its moves (at the root, one of the legal
// root moves the search keeps) that leaves its king unattacked.
bool PlayIfLegal(int side, Move move, int ply) {
    if (move == 0) return false;
    if (ply == 1) {
        if (!IsRootMove(move)) return false;
    } else {
        GenerateAll(side, ply);
        const Move* begin = MoveBuffer + MoveStart(ply);
        const Move* end = MoveBuffer + SearchStack[ply].MoveEnd;
        if (std::find(begin, end, move) == end) return false;
    }
    MakeMove(side, move, ply);
    if (InCheck(side)) {
        UnmakeMove(side, move, ply);
        return false;
    }
    return true;
}

// The move of the table entry of the position at ply (side to move), when the entry's score is exact
// or a lower bound: the best move found there, or the one that refuted the opponent's play. Only
// reads the table.
Move TableMove(int side, int ply) {
    // Read once through the table's own access: in a threaded build other threads store meanwhile.
    const HashEntry entry{0, PeekEntry(side == White, NodeKey(ply))};
    if (EntryDepth(entry) == 0) return 0;
    return (EntryFlags(entry) & (Exact | LowerBound)) != 0 ? EntryMove(entry) : 0;
}

}  // namespace

void ExtendLineFromTable(RootLine& line) {
    int length = 0;
    while (length < MaxPly - 1 && line.Moves[length] != 0) ++length;
    // Plies 1 to target are played, and MakeMove writes the record after the last.
    const int target = std::min(line.Depth, MaxPly - 3);
    if (length == 0 || length >= target) return;
    std::copy_n(SearchStack, target + 2, savedPlies);

    const int root = SideToMove;
    const auto mover = [root](int index) { return index % 2 == 0 ? root : 1 - root; };
    int played = 0;
    while (played < length && PlayIfLegal(mover(played), line.Moves[played], played + 1)) ++played;
    if (played == length) {
        // The position at ply length + 1 ends the line; a repeated one ends it for good.
        while (length < target && !IsRepetition(length + 1)) {
            const int ply = length + 1;
            const Move move = TableMove(mover(length), ply);
            if (!PlayIfLegal(mover(length), move, ply)) break;
            line.Moves[length++] = move;
            played = length;
        }
        line.Moves[length] = 0;
    }

    for (int i = played - 1; i >= 0; --i) UnmakeMove(mover(i), line.Moves[i], i + 1);
    std::copy_n(savedPlies, target + 2, SearchStack);
}

}  // namespace zarn

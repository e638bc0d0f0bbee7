// Storage of the per-ply search records and their reset before a search.
#include "engine/search/stack.h"

namespace zarn {

ZARN_PER_THREAD PlyRecord SearchStack[MaxPly];

void ResetSearchStack() {
    // The root's moves start at index 1, so index 0 of the move buffer never holds a move.
    SearchStack[0].MoveEnd = 1;
    SearchStack[0].CurrentMove = 0;
    SearchStack[0].RecaptureExtended = 0;
    SearchStack[1].RecaptureExtended = 0;
    for (PlyRecord& record : SearchStack) {
        for (Move& move : record.Pv) move = 0;
        record.HashMove = 0;
        record.BestMove = 0;
        record.Killer1 = 0;
        record.Killer2 = 0;
    }
}

}  // namespace zarn

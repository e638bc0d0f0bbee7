// The per-ply records of the search. The root is ply 1; ply 0 is only the root's predecessor.
#pragma once

#include <cstdint>

#include "engine/board/types.h"
#include "engine/search/picker_stage.h"
#include "engine/threads/per_thread.h"

namespace zarn {

inline constexpr int MaxPly = 120;

// Every field a node reads or writes at each visit shares the record's first cache line; the
// variation, written only where a score rises above alpha, follows.
struct alignas(64) PlyRecord {
    Move CurrentMove = 0;  // written by MakeMove; 0 after a null move
    Move BestMove = 0;
    std::int32_t EpSquareAfter = 0;  // en-passant square after this ply's move, 0 for none
    std::int32_t MoveEnd = 0;        // end of this ply's moves; MoveStart(p) = MoveEnd(p - 1)
    Stage PickerStage = Stage::StageHashMove;
    std::int32_t QuietPass = 0;
    std::int32_t RecaptureExtended = 0;
    std::int32_t SideInCheck = 0;
    Key PawnKey = 0;
    Key PieceKey = 0;
    Move HashMove = 0;
    Move Killer1 = 0;
    Move Killer2 = 0;
    Move Pv[MaxPly] = {};  // principal variation from this ply on, from index ply, ended by 0
};

extern ZARN_PER_THREAD PlyRecord SearchStack[MaxPly];

inline int MoveStart(int ply) { return SearchStack[ply - 1].MoveEnd; }
// The key of the position at this ply, as the transposition tables know it.
inline Key NodeKey(int ply) { return SearchStack[ply].PawnKey ^ SearchStack[ply].PieceKey; }
// En-passant square of the position at this ply.
inline int EpSquareAt(int ply) { return SearchStack[ply - 1].EpSquareAfter; }

// Clears the stack's move data and variations (search ply records).
void ResetSearchStack();

}  // namespace zarn

// The staged move pickers of the full-width search: one move at a time, generated lazily.
#pragma once

#include "engine/board/types.h"
#include "engine/moves/buffer.h"
#include "engine/search/stack.h"

namespace zarn {

// Quiet moves taken in history order before the rest come unsorted.
inline constexpr int HistoryPicks = 4;

// The last moves of a ply, unsorted, from the end of its range; 0 when none is left.
inline Move NextRemainingMove(PlyRecord& record, int start) {
    for (int i = record.MoveEnd - 1; i >= start; --i)
        if (MoveBuffer[i] != 0) {
            record.MoveEnd = i;
            return MoveBuffer[i];
        }
    return 0;
}

// NextMove at the stages before the remaining moves.
template <int Side>
Move NextStagedMove(int ply);

// The next move of a node not in check, or 0 when none is left. The moves are pseudo-legal.
// Most calls come for the remaining moves, which need no more than a scan.
template <int Side>
inline Move NextMove(int ply) {
    PlyRecord& record = SearchStack[ply];
    if (record.PickerStage == Stage::StageRemaining) return NextRemainingMove(record, MoveStart(ply));
    return NextStagedMove<Side>(ply);
}
// The next evasion of a node in check, hash move first, then by capture score.
template <int Side>
Move NextEvasion(int ply);

inline Move NextMoveWhite(int ply) { return NextMove<White>(ply); }
inline Move NextMoveBlack(int ply) { return NextMove<Black>(ply); }
inline Move NextEvasionWhite(int ply) { return NextEvasion<White>(ply); }
inline Move NextEvasionBlack(int ply) { return NextEvasion<Black>(ply); }

// Ordering value of a capture (or of any move, by its exchange value) for the side making it.
template <int Side>
int CaptureScore(Move move);

}  // namespace zarn

// Move pickers: hash move, good captures, killers, quiet moves by history, then the rest.
#include "engine/search/next.h"

#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/moves.h"
#include "engine/search/history.h"
#include "engine/search/stack.h"

namespace zarn {

namespace {

template <int Side>
bool IsMovePossibleFor(Move move, int ply) {
    return move != 0 && IsMovePossible<Side>(move, ply) != 0;
}

// The first slot of the ply's range with the highest score above the floor, or -1.
int BestScoredSlot(int start, int end, int floor) {
    int best = -1;
    int bestScore = floor;
    for (int i = start; i < end; ++i)
        if (MoveBuffer[i] != 0 && MoveScore[i] > bestScore) {
            bestScore = MoveScore[i];
            best = i;
        }
    return best;
}

// The first slot with the highest history counter (every counter is above -30000).
template <int Side>
int BestHistorySlot(int start, int end) {
    int best = -1;
    int bestScore = -MateScore;
    for (int i = start; i < end; ++i) {
        const Move move = MoveBuffer[i];
        if (move != 0 && History[Side][MoveFromTo(move)] > bestScore) {
            bestScore = History[Side][MoveFromTo(move)];
            best = i;
        }
    }
    return best;
}

// BestHistorySlot on the first pass over the quiet moves, which also clears the hash move and the
// killers (tried already) from the range.
template <int Side>
int FirstHistorySlot(int start, int end, const PlyRecord& record) {
    const Move hashMove = record.HashMove;
    const Move killer1 = record.Killer1;
    const Move killer2 = record.Killer2;
    int best = -1;
    int bestScore = -MateScore;
    for (int i = start; i < end; ++i) {
        const Move move = MoveBuffer[i];
        if (move == 0) continue;
        if (move == hashMove || move == killer1 || move == killer2) {
            MoveBuffer[i] = 0;
        } else if (History[Side][MoveFromTo(move)] > bestScore) {
            bestScore = History[Side][MoveFromTo(move)];
            best = i;
        }
    }
    return best;
}

Move TakeSlot(int slot) {
    const Move move = MoveBuffer[slot];
    MoveBuffer[slot] = 0;
    return move;
}

}  // namespace

template <int Side>
int CaptureScore(Move move) {
    const int mover = PieceValue[MoveKind(move)];
    const int captured = PieceValue[MoveCaptured(move)];
    if (mover < captured) return captured - mover;
    return StaticExchange(Side, MoveFrom(move), MoveTo(move));
}

template <int Side>
Move NextStagedMove(int ply) {
    using enum Stage;
    PlyRecord& record = SearchStack[ply];
    const int start = MoveStart(ply);
    switch (record.PickerStage) {
        case StageHashMove:
            record.PickerStage = StageGenerateCaptures;
            if (IsMovePossibleFor<Side>(record.HashMove, ply)) {
                record.MoveEnd = start;
                return record.HashMove;
            }
            [[fallthrough]];
        case StageGenerateCaptures:
            record.PickerStage = StageGoodCaptures;
            GenerateCaptures<Side>(ply);
            for (int i = start; i < record.MoveEnd; ++i) {
                if (record.HashMove != 0 && MoveBuffer[i] == record.HashMove) {
                    // Already tried as the hash move.
                    MoveBuffer[i] = 0;
                    record.HashMove = 0;
                } else {
                    MoveScore[i] = CaptureScore<Side>(MoveBuffer[i]);
                }
            }
            [[fallthrough]];
        case StageGoodCaptures: {
            const int slot = BestScoredSlot(start, record.MoveEnd, -1);
            if (slot >= 0) return TakeSlot(slot);
            record.PickerStage = StageKiller1;
        }
            [[fallthrough]];
        case StageKiller1:
            record.PickerStage = StageKiller2;
            if (record.Killer1 != record.HashMove && IsMovePossibleFor<Side>(record.Killer1, ply))
                return record.Killer1;
            [[fallthrough]];
        case StageKiller2:
            record.PickerStage = StageGenerateQuiets;
            if (record.Killer2 != record.HashMove && IsMovePossibleFor<Side>(record.Killer2, ply))
                return record.Killer2;
            [[fallthrough]];
        case StageGenerateQuiets:
            record.PickerStage = StageHistory;
            record.QuietPass = 0;
            GenerateQuiet<Side>(ply, record.MoveEnd);
            [[fallthrough]];
        case StageHistory: {
            int slot = -1;
            if (record.QuietPass == 0) {
                record.QuietPass = 1;
                slot = FirstHistorySlot<Side>(start, record.MoveEnd, record);
            } else if (record.QuietPass < HistoryPicks) {
                ++record.QuietPass;
                slot = BestHistorySlot<Side>(start, record.MoveEnd);
            }
            if (slot >= 0) return TakeSlot(slot);
            record.PickerStage = StageRemaining;
        }
            [[fallthrough]];
        case StageRemaining:
            return NextRemainingMove(record, start);
        default:
            return 0;
    }
}

template <int Side>
Move NextEvasion(int ply) {
    using enum Stage;
    PlyRecord& record = SearchStack[ply];
    const int start = MoveStart(ply);
    if (record.PickerStage == StageHashMove) {
        record.PickerStage = StageEvasions;
        GenerateEvasions<Side>(ply);
        for (int i = start; i < record.MoveEnd; ++i)
            MoveScore[i] = record.HashMove != 0 && MoveBuffer[i] == record.HashMove ? MateScore
                                                                                    : CaptureScore<Side>(MoveBuffer[i]);
    } else if (record.PickerStage != StageEvasions) {
        return 0;
    }
    const int slot = BestScoredSlot(start, record.MoveEnd, -MateScore);
    return slot >= 0 ? TakeSlot(slot) : 0;
}

template int CaptureScore<White>(Move);
template int CaptureScore<Black>(Move);
template Move NextStagedMove<White>(int);
template Move NextStagedMove<Black>(int);
template Move NextEvasion<White>(int);
template Move NextEvasion<Black>(int);

}  // namespace zarn

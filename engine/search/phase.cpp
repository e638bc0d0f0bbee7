// Preparation of one analysis: game phase, draw values and the colour copies of the king tables.
#include "engine/search/phase.h"

#include "engine/board/board.h"
#include "engine/eval/constants.h"
#include "engine/eval/tables.h"
#include "engine/interface/options.h"

namespace zarn {

ZARN_PER_THREAD int GamePhase = OpeningPhase;
ZARN_PER_THREAD int WhiteDrawScore = 0;
ZARN_PER_THREAD int BlackDrawScore = 0;
ZARN_PER_THREAD std::int32_t WhiteSafety[SafetyTableSize];
ZARN_PER_THREAD std::int32_t BlackSafety[SafetyTableSize];
ZARN_PER_THREAD std::int32_t WhiteOffensive[OffensiveTableSize];
ZARN_PER_THREAD std::int32_t BlackOffensive[OffensiveTableSize];

namespace {

// A side may still castle while its king has not moved and at least one of its rooks has not.
bool CanStillCastle(int king, int queenRook, int kingRook) {
    return MoveCount[king] == 0 && (MoveCount[queenRook] == 0 || MoveCount[kingRook] == 0);
}

}  // namespace

void SetDrawValues(int side) {
    WhiteDrawScore = side == White ? Options.DrawScore : -Options.DrawScore;
    BlackDrawScore = -WhiteDrawScore;
}

void PrepareRoot(int side) {
    // The phase only ever moves forward within one game position.
    if (GamePhase == OpeningPhase) {
        const bool castling = CanStillCastle(E1, A1, H1) || CanStillCastle(E8, A8, H8);
        if (GamePly >= 25 || !castling) GamePhase = MiddlegamePhase;
    }
    if (Sides[White].PieceMaterial < 15 && Sides[Black].PieceMaterial < 15) GamePhase = EndgamePhase;

    // The root side keeps the base safety table; the opponent's is weighed by the asymmetry. The
    // offensive tables the other way round. Then both copies are scaled.
    std::int32_t* const rootSafety = side == White ? WhiteSafety : BlackSafety;
    std::int32_t* const otherSafety = side == White ? BlackSafety : WhiteSafety;
    for (int i = 0; i < SafetyTableSize; ++i) {
        const std::int32_t base = BaseTables[SafetyBase][i];
        rootSafety[i] = base * Options.SafetyScale / 100;
        otherSafety[i] = (base + base * Options.SafetyAsymmetry / 100) * Options.SafetyScale / 100;
    }
    std::int32_t* const rootOffensive = side == White ? WhiteOffensive : BlackOffensive;
    std::int32_t* const otherOffensive = side == White ? BlackOffensive : WhiteOffensive;
    for (int i = 0; i < OffensiveTableSize; ++i) {
        const std::int32_t base = OffensiveBase[i];
        otherOffensive[i] = base * Options.OffensiveScale / 100;
        rootOffensive[i] = (base + base * Options.OffensiveAsymmetry / 100) * Options.OffensiveScale / 100;
    }
}

}  // namespace zarn

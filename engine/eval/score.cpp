// The evaluation driver: the terms in order, cheapest first, with three lazy exits, the
// winnable-sides recogniser and the endgame scalings.
#include "engine/eval/score.h"

#include <cstdlib>

#include "engine/board/board.h"
#include "engine/board/tables.h"
#include "engine/eval/balance.h"
#include "engine/eval/development.h"
#include "engine/eval/pawns.h"
#include "engine/eval/pieces.h"
#include "engine/eval/tables.h"
#include "engine/moves/uint64.h"
#include "engine/search/phase.h"

namespace zarn {

ZARN_PER_THREAD std::int32_t WhiteAttackPoints = 0;
ZARN_PER_THREAD std::int32_t BlackAttackPoints = 0;

namespace {

// A side that cannot win gets no more than the draw value; with both able to win nothing changes.
int ClampToDraw(int s, int mask) {
    const int draw = WhiteDrawScore;
    if (s > draw && !(mask & WhiteCanWin)) return draw;
    if (s < draw && !(mask & BlackCanWin)) return draw;
    return s;
}

// Outside a window by more than the margin: the remaining terms cannot bring the score back.
inline bool OutsideWindow(int s, int alpha, int beta, int margin) { return s < alpha - margin || s > beta + margin; }

// Endgame king placement by where the pawns stand; returns each king's table value.
SideParts KingPlacement() {
    const Bitboard pawns = Sides[White].Pawns | Sides[Black].Pawns;
    const bool queenSide = pawns & QueenSideFiles;
    const bool kingSide = pawns & KingSideFiles;
    PieceSquareTable table;
    if (queenSide && kingSide)
        table = KingEndgameBothWings;
    else if (queenSide)
        table = KingEndgameQueenSide;
    else if (kingSide)
        table = KingEndgameKingSide;
    else
        return {};
    return {SideTables[White][table][Sides[White].KingSquare], SideTables[Black][table][Sides[Black].KingSquare]};
}

// Exactly one member.
constexpr bool IsSingleton(Bitboard b) { return b && !(b & (b - 1)); }

// Opposite-coloured bishops with little else: the stronger side's winning chances shrink.
int ScaleOppositeBishops(int s) {
    const SideRecord& w = Sides[White];
    const SideRecord& b = Sides[Black];
    if (w.PieceMaterial >= 12 || b.PieceMaterial >= 12) return s;
    if (!IsSingleton(w.Bishops) || !IsSingleton(b.Bishops)) return s;
    if (DarkSquare[FirstBit(w.Bishops)] == DarkSquare[FirstBit(b.Bishops)]) return s;
    const int d = w.Material - b.Material;
    const bool loneBishops = w.PieceMaterial == 3 && b.PieceMaterial == 3;
    if (std::abs(d) > 200) {
        if (loneBishops) return s / 2;
        if (w.PieceMaterial == b.PieceMaterial) return (s - d) / 2 + d;
        return s;
    }
    return loneBishops ? s / 4 : s;
}

template <bool Trace>
int Finish(int s, int mask, EvalTrace* trace) {
    if (mask == (WhiteCanWin | BlackCanWin)) return s;
    const int clamped = ClampToDraw(s, mask);
    if constexpr (Trace) {
        if (clamped != s) trace->AddTotal("draw clamp", clamped - s);
    }
    return clamped;
}

template <bool Trace>
int EvaluateImpl(int side, int alpha, int beta, int ply, EvalTrace* trace) {
    const SideRecord& w = Sides[White];
    const SideRecord& b = Sides[Black];
    int mask = WhiteCanWin | BlackCanWin;
    WhiteKingDanger = BlackKingDanger = 0;
    WhiteAttackPoints = BlackAttackPoints = 0;

    if (w.PieceMaterial < 9 && b.PieceMaterial < 9) {
        mask = WinnableSides(side);
        if (mask == 0) {
            if constexpr (Trace) {
                trace->mask = 0;
                trace->exit = "neither side can win";
                trace->AddTotal("draw value", WhiteDrawScore);
            }
            return WhiteDrawScore;
        }
    }
    const bool restricted = mask != (WhiteCanWin | BlackCanWin);

    int s = InlineMaterialBalance();
    if constexpr (Trace) {
        trace->mask = mask;
        trace->Add("material", {w.Material, b.Material});
        trace->AddTotal("material trade", s - (w.Material - b.Material));
    }
    if (!restricted && OutsideWindow(s, alpha, beta, 500)) {
        if constexpr (Trace) trace->exit = "lazy exit after material";
        return s;
    }

    if (!(w.Pawns | b.Pawns)) {
        const int pawnless = PawnlessEndgame();
        s += pawnless;
        if constexpr (Trace) trace->AddTotal("pawnless ending", pawnless);
        return Finish<Trace>(s, mask, trace);
    }

    const int pawns = InlineEvaluatePawns(ply);
    s += pawns;
    if constexpr (Trace) {
        PawnHashEntry fresh;
        const SideParts structure = PawnStructureParts(fresh);
        const SideParts extras = PassedPawnExtras();
        trace->Add("pawn structure", structure);
        trace->Add("passed pawn extras", extras);
        const int race = pawns - CurrentPawnEntry->Score - extras.Net();
        if (race != 0) trace->AddTotal("bare-king race", race);
    }
    if (!restricted && OutsideWindow(s, alpha, beta, 150)) {
        if constexpr (Trace) trace->exit = "lazy exit after pawns";
        return s;
    }

    const bool endgame = w.PieceMaterial < 15 || b.PieceMaterial < 15;
    if (!endgame) {
        const int safety = KingSafety();
        s += safety;
        if constexpr (Trace)
            trace->Add("king safety", {-WhiteSafety[WhiteKingDanger], -BlackSafety[BlackKingDanger]});
    }
    if (GamePhase == OpeningPhase) {
        const SideParts development = InlineDevelopmentParts();
        s += development.Net();
        if constexpr (Trace) trace->Add("development", development);
    }
    if (endgame) {
        const SideParts placement = KingPlacement();
        s += placement.Net();
        if constexpr (Trace) trace->Add("endgame king placement", placement);
    }
    if constexpr (Trace) {
        trace->endgame = endgame;
        trace->whiteKingDanger = WhiteKingDanger;
        trace->blackKingDanger = BlackKingDanger;
    }
    if (!restricted && OutsideWindow(s, alpha, beta, 100)) {
        if constexpr (Trace) trace->exit = "lazy exit before the pieces";
        return s;
    }

    if constexpr (Trace) {
        const PieceTermParts pieces = PieceTerms(endgame);
        s += pieces.Net();
        trace->Add("knights", pieces.knights);
        trace->Add("bishops", pieces.bishops);
        trace->Add("rooks", pieces.rooks);
        trace->Add("queens", pieces.queens);
        trace->Add("king attack", pieces.attack);
        trace->whiteAttackPoints = WhiteAttackPoints;
        trace->blackAttackPoints = BlackAttackPoints;
    } else {
        s += PieceTermsNet(endgame);
    }

    const int scaled = ScaleOppositeBishops(s);
    if constexpr (Trace) {
        if (scaled != s) trace->AddTotal("opposite bishops scaling", scaled - s);
    }
    return Finish<Trace>(scaled, mask, trace);
}

}  // namespace

int Evaluate(int side, int alpha, int beta, int ply) { return EvaluateImpl<false>(side, alpha, beta, ply, nullptr); }

int EvaluateTraced(int side, int alpha, int beta, int ply, EvalTrace& trace) {
    trace = EvalTrace{};
    trace.value = EvaluateImpl<true>(side, alpha, beta, ply, &trace);
    return trace.value;
}

}  // namespace zarn

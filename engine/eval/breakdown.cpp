// Text of an evaluation breakdown.
#include "engine/eval/breakdown.h"

#include <cstdio>

#include "engine/board/types.h"
#include "engine/eval/score.h"
#include "engine/search/phase.h"

namespace zarn {

namespace {

const char* PhaseName(int phase) {
    switch (phase) {
        case OpeningPhase: return "opening";
        case MiddlegamePhase: return "middlegame";
        default: return "endgame";
    }
}

const char* WinnableText(int mask) {
    switch (mask) {
        case WhiteCanWin | BlackCanWin: return "both sides";
        case WhiteCanWin: return "only White";
        case BlackCanWin: return "only Black";
        default: return "neither side";
    }
}

void Append(std::string& out, const char* format, auto... values) {
    char line[160];
    std::snprintf(line, sizeof line, format, values...);
    out += line;
}

}  // namespace

std::string FormatEvalBreakdown(const EvalTrace& trace, int side) {
    std::string out;
    Append(out, "Side to move: %s\n", side == White ? "White" : "Black");
    Append(out, "Game phase: %s\n", PhaseName(GamePhase));
    Append(out, "Draw value: %d for White, %d for Black\n", WhiteDrawScore, BlackDrawScore);
    Append(out, "Can still win: %s\n", WinnableText(trace.mask));
    Append(out, "King danger: White %d, Black %d%s\n", trace.whiteKingDanger, trace.blackKingDanger,
           trace.endgame ? " (endgame: no king safety)" : "");
    Append(out, "Attack points: White %d, Black %d\n", trace.whiteAttackPoints, trace.blackAttackPoints);
    Append(out, "\n%-28s %7s %7s %7s\n", "Term", "White", "Black", "Score");
    for (int i = 0; i < trace.count; ++i) {
        const EvalTraceTerm& term = trace.terms[i];
        if (term.split)
            Append(out, "  %-26s %7d %7d %7d\n", term.name, term.white, term.black, term.total);
        else
            Append(out, "  %-26s %7s %7s %7d\n", term.name, "", "", term.total);
    }
    if (trace.exit) Append(out, "Stopped early: %s\n", trace.exit);
    Append(out, "Evaluation: %d\n", trace.value);
    return out;
}

}  // namespace zarn

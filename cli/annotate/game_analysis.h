// One search of one game position by the engine, read back as a score and a variation in standard
// notation; and the judgement of a played move against the engine's choice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/pgn/game.h"
#include "cli/uci/report.h"

namespace zarn::cli {

struct AnalysisLimit {
    int depth = 0;                // plies, when positive
    std::int64_t moveTimeMs = 0;  // otherwise the wall-clock time for each position
};

struct PositionVerdict {
    int sideToMove = White;
    bool noMove = false;            // mate or stalemate: nothing was searched
    bool mated = false;             // no move and in check
    ReportedScore score;            // for the side to move (a mated side: mate 0, stalemate: 0)
    std::vector<Move> line;         // the engine's variation, legal move by move
    std::vector<std::string> sans;  // the same in standard notation
    int depth = 0;                  // plies of the last completed iteration
};

// Searches the position after the moves of the game's main line.
PositionVerdict AnalysePosition(const PgnGame& game, const std::vector<Move>& moves, const AnalysisLimit& limit);

// Scores are clamped to this many centipawns, a mate counting as the bound, when losses are measured.
inline constexpr int JudgedScoreBound = 1000;
// Expected loss from which a move is dubious ($6, ?!), a mistake ($2, ?) or a blunder ($4, ??).
inline constexpr int DubiousLoss = 50;
inline constexpr int MistakeLoss = 100;
inline constexpr int BlunderLoss = 300;

// The centipawns the mover gave away with a move that differs from the engine's choice, measured from
// the verdicts before and after it (each for its own side to move); 0 for the engine's own move.
int ExpectedLoss(const PositionVerdict& before, const PositionVerdict& after, Move played);
// 6, 2 or 4 for a loss past the thresholds, else 0.
int NagForLoss(int loss);
// The judgement a move's NAGs give it, as the file says: the first of $1 to $6 ($1 good, $2 mistake,
// $3 brilliant, $4 blunder, $5 interesting, $6 dubious), or 0.
int JudgementNag(const std::vector<int>& nags);

// "0.35", "-1.20", "#3" or "#-3": the verdict from White's point of view, as [%eval] writes it; empty
// for a side that is mated.
std::string EvalText(const PositionVerdict& verdict);
// The verdict from White's point of view in pawns, mates as +-100.
double WhitePawns(const PositionVerdict& verdict);

}  // namespace zarn::cli

// The static evaluation: one score in centipawns from White's point of view.
#pragma once

#include <cstdint>

#include "engine/eval/trace.h"
#include "engine/threads/per_thread.h"

namespace zarn {

// Winnable-sides mask: bit value 1 = White can still win, 2 = Black can; 3 both, 0 a dead draw.
inline constexpr int WhiteCanWin = 1;
inline constexpr int BlackCanWin = 2;

// side: 1 when White is to move (it only matters to WinnableSides). alpha, beta: the caller's window
// in White's point of view. ply: the search ply whose PawnKey keys the pawn hash.
int Evaluate(int side, int alpha, int beta, int ply);

// The same evaluation, recording every term in `trace` (whose Sum() equals the value returned).
int EvaluateTraced(int side, int alpha, int beta, int ply, EvalTrace& trace);

// Material difference plus the trade imbalance term.
int MaterialBalance();
// The imbalance part of MaterialBalance alone (0 when both sides are nearly out of pieces).
int MaterialImbalance();

// Which sides can still win; only meaningful while both sides have PieceMaterial below 9.
int WinnableSides(int side);

// Endings without any pawn: driving the lone or weaker king to the edge or the right corner.
int PawnlessEndgame();

// Opening term: queens off their squares and lost castling without having castled.
int Development();
SideParts DevelopmentParts();

// King danger of each side (0..55), set by KingSafety and read by the queen and king attack terms.
extern ZARN_PER_THREAD std::int32_t WhiteKingDanger;
extern ZARN_PER_THREAD std::int32_t BlackKingDanger;
// Points each side's pieces gather about the enemy king during the piece terms.
extern ZARN_PER_THREAD std::int32_t WhiteAttackPoints;
extern ZARN_PER_THREAD std::int32_t BlackAttackPoints;

// Sets both king dangers and returns BlackSafety[BlackKingDanger] - WhiteSafety[WhiteKingDanger].
int KingSafety();

}  // namespace zarn

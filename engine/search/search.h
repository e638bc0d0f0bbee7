// The alpha-beta search below the root: full-width nodes, quiescence, repetition and the variation.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/board/types.h"
#include "engine/threads/per_thread.h"

namespace zarn {

// Nodes entered (full-width and quiescence) since the analysis started.
extern ZARN_PER_THREAD std::uint32_t NodeCount;
// The deepest ply a node of the analysis has reached (the root is ply 1).
extern ZARN_PER_THREAD std::int32_t SelDepth;
// Counts down to the next time check.
extern ZARN_PER_THREAD std::int32_t NodeCountdown;
inline constexpr std::int32_t NodesPerTimeCheck = 200000;
// Non-zero when the search must unwind; written by the stop request from another thread.
extern std::atomic<std::int32_t> StopFlag;

// The deepest ply a node may occupy: a node there returns its static evaluation, so that neither the
// stack, a variation row nor the move buffer is written past its end.
inline constexpr int DeepestPly = 118;

// Score from the mover's point of view. side: 1 White, 0 Black.
template <int Side>
int SearchNode(int depth, int ply, int alpha, int beta, int nullAllowed);
int Search(int side, int depth, int ply, int alpha, int beta, int nullAllowed);
int SearchWhite(int depth, int ply, int alpha, int beta, int nullAllowed);
int SearchBlack(int depth, int ply, int alpha, int beta, int nullAllowed);

// Pv of ply starts with move, followed by the variation of ply + 1.
void UpdatePv(Move move, int ply);
// 1 when the node's position occurred before with the same side to move, in the line or the game.
int IsRepetition(int ply);

}  // namespace zarn

// The engine as the engine-level runners use it: started once per process with callbacks that check
// every report, plus the position facts the runners compare before and after a call.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/board/types.h"

namespace zarn::fuzz {

// Starts the engine on first use (1 MB of hash) and empties its tables, so that every input is
// searched from the same state whatever ran before it.
void PrepareEngine();

// Analyses the current position to the depth and returns ZarnAnalyse's result. In positions where
// checks, recaptures and pawn pushes extend line after line, or where every piece can take another,
// even two plies can mean tens of millions of nodes; so, as a caller with a deadline would, a second
// thread stops the analysis after the budget, again and again until it has ended. The analysis must
// end within StopLagLimitMs of the first stop.
int AnalyseWithin(int depth, int budgetMs);
inline constexpr int AnalysisBudgetMs = 1000;
inline constexpr int StopLagLimitMs = 5000;

// The input as a writable, NUL-terminated text; a NUL inside the input ends the text there, as it
// would for any C caller.
std::vector<char> WritableText(const std::uint8_t* data, std::size_t size);

// The mailbox and the side to move.
struct PositionFacts {
    std::array<std::int32_t, 64> board{};
    int side = 0;
    bool operator==(const PositionFacts&) const = default;
};
PositionFacts CurrentPosition();

// The legal moves of the side to move, sorted.
std::vector<Move> LegalMoves();
// The root moves left in the move buffer by the last analysis, sorted.
std::vector<Move> RootMoves();

// Every square holds an empty square or a piece kind of either colour, and the side is White or Black.
void CheckPositionShape(const char* after);
// Each legal move is made and undone; the mailbox and side records come back as they were.
void CheckMakeUndo(const std::vector<Move>& legal);
// The incrementally kept side records, occupancies and keys equal a rebuild from the mailbox (skipped
// when a side has more or fewer than one king, where a rebuild picks one king of several).
void CheckDerivedState(const char* after);

}  // namespace zarn::fuzz

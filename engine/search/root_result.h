// What the root search has found so far, for the program's own use: the best line (also below the
// depth from which variations are reported), and the lines of a multi-line analysis.
#pragma once

#include "engine/board/types.h"
#include "engine/search/stack.h"

namespace zarn {

inline constexpr int MaxRootLines = 64;

struct RootLine {
    int Score = 0;    // from the root side's point of view
    int Depth = 0;    // iteration in plies
    Move Moves[MaxPly] = {};  // ended by 0; Moves[0] == 0 when there is no line
};

// The last exact root result of the analysis (of its first line), empty before the first root move
// has been searched through.
const RootLine& BestRootLine();

// Lines per iteration: 1 is the ordinary analysis; more search the root once per line, each time
// without the moves of the lines before. Bounded to 1..MaxRootLines.
void SetRootLineCount(int lines);
int RootLineCount();

// Told once per completed iteration of a multi-line analysis (depth in plies, count lines best first).
using RootLinesListener = void (*)(int depth, int count);
void SetRootLinesListener(RootLinesListener listener);
// Line k (0 best) of the last completed iteration of a multi-line analysis.
const RootLine& ReportedRootLine(int k);

// Told of every result of an ordinary (one-line) analysis at every depth, also below the depth from
// which variations are reported, while the search waits at its root: kind ReportExact with the new
// best line, ReportFailHigh or ReportFailLow with the one move and the bound as its score.
using RootResultListener = void (*)(int kind, const RootLine& line);
void SetRootResultListener(RootResultListener listener);

// Told after every completed iteration (depth in plies), while the search waits at its root; false
// ends the analysis there.
using IterationListener = bool (*)(int depth);
void SetIterationListener(IterationListener listener);

// Kept by the root search.
void ClearRootResults();
// The variation of ply 1 becomes the best line, with its score and iteration depth (1/60 ply).
void RecordBestLine(int score, int depth);
// The variation of ply 1 becomes line k (0-based) of the iteration under way.
void RecordRootLine(int k, int score, int depth);
// The variation of ply 1 with its score and kind goes to the result listener.
void ReportRootResult(int kind, int score, int depth);
// The iteration of this depth (1/60 ply) is complete: false when the iteration listener ends the
// analysis.
bool FinishIteration(int depth);
// The iteration's count lines are complete: they are put best first, the root moves in front of the
// move list follow that order, ply 1's variation and the best line become the first, and the
// listener is told.
void FinishRootLines(int count, int depth);

}  // namespace zarn

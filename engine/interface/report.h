// Progress reports to the caller's callbacks, and the text forms of moves and variations.
#pragma once

#include <cstddef>

#include "engine/board/types.h"

namespace zarn {

// Kinds of a variation report.
inline constexpr int ReportFailLow = 1;
inline constexpr int ReportFailHigh = 2;
inline constexpr int ReportExact = 4;

// Room for the longest variation: every move five characters and a space, plus the NUL.
inline constexpr std::size_t PvTextSize = 1024;
inline constexpr std::size_t MoveTextSize = 8;

// From- and to-square, then a capital promotion letter if any: e2e4, e7e8Q.
const char* MoveText(Move move, char (&buffer)[MoveTextSize]);
// Fail high: the first root move and "!"; fail low: the first root move and "?"; otherwise every move
// of the root variation, each followed by a space.
const char* PvText(int kind, char (&buffer)[PvTextSize]);

// The root move being searched, once the analysis has run for more than a second. depth in 1/60 ply.
void ReportCurrentMove(int depth);
// The root variation and its score, from five plies on.
void ReportPv(int score, int depth, int kind);

}  // namespace zarn

// The evaluation of a game as an SVG chart: White's view by move, clamped for readability, with the
// dubious moves, mistakes and blunders marked.
#pragma once

#include <string>
#include <vector>

#include "cli/pgn/game.h"

namespace zarn::cli {

// Pawns above which the chart is clamped, both ways.
inline constexpr int GraphBoundPawns = 5;

struct GraphPoint {
    double whitePawns = 0;  // evaluation after the move (the first point: the start position)
    int nag = 0;            // 6, 2 or 4 marks the move as dubious, a mistake or a blunder
    std::string label;      // "12. Nf3" or "12... Nf6"; empty for the start position
    std::string evalText;   // as the PGN comment gives it
};

// The chart's subtitle: the game's event, site and date as far as they are known (a missing tag, a ?,
// and the unknown parts of a date such as 1993.??.?? are left out), then the analysis.
std::string GraphSubtitle(const PgnGame& game, const std::string& analysis);

// A complete SVG document. firstMoveNumber and firstSide give the move numbers of the axis.
std::string EvalGraphSvg(const std::string& title, const std::string& subtitle, const std::vector<GraphPoint>& points,
                         int firstMoveNumber, bool whiteMovesFirst);

}  // namespace zarn::cli

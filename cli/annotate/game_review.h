// The review of one game: its text in, the annotated game and its evaluation chart out. A review
// process reviews one game (review_processes.h): the engine keeps state from one search to the next
// that even a fresh start of it leaves, and only a process of its own makes a review depend on its
// game alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "cli/annotate/game_analysis.h"
#include "cli/pgn/game.h"

namespace zarn::cli {

// Megabytes of the engine's hash table for a review.
inline constexpr int ReviewHashMb = 64;

struct GameReview {
    std::string pgn;        // the annotated game as written, ending with a blank line
    std::string chart;      // the SVG chart when one was asked for and the game has moves
    std::string error;      // why the game could not be reviewed; it is then to be copied unchanged
    bool engineFailed = false;  // the engine could not allocate its tables: nothing can be reviewed
    std::size_t positions = 0;  // positions searched
};

// One game to review: its text as the reader delimits it in its file, and the fingerprint of the game
// that the whole file gave, read and replayed.
struct ReviewJob {
    std::string_view text;
    std::uint64_t fingerprint = 0;
};

// The game as it is written (FNV-1a of its export form): two readings of a game that agree here give
// the same review.
std::uint64_t GameFingerprint(const PgnGame& game);

// Reviews the game of the job; a text that reads as another game on its own (which the fingerprint
// shows) is refused. onPosition is called after each position searched.
GameReview ReviewGame(const ReviewJob& job, const AnalysisLimit& limit, bool chart, const std::function<void()>& onPosition);

// "depth 8" or "200 ms a position".
std::string LimitText(const AnalysisLimit& limit);

}  // namespace zarn::cli

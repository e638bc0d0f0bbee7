// Continuing an annotation run that was cut short: which of the games to review an earlier run's
// output already holds whole, and whether a partly written game follows them.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "cli/pgn/game.h"

namespace zarn::cli {

struct ResumePoint {
    std::size_t games = 0;      // the output holds the first this many games to review, whole
    std::size_t keptBytes = 0;  // in its first this many bytes; what follows is to be dropped
    bool partialGame = false;   // what follows is a game written in part (else white space or nothing)
    std::string mismatch;       // when not empty: the output is not an annotation of these games, and why
};

// Compares an earlier run's output with the games to review (read and replayed from the input text, in
// order; the first is game firstNumber of the input). A kept game has the input game's tags (and an
// Annotator tag the annotation added), start, moves and result, and ends with its result and a blank
// line; a game that was copied unchanged is its input text again. Only the output's last game may be
// incomplete or unreadable: it is then taken for a game written in part.
ResumePoint FindResumePoint(std::string_view output, std::string_view input, std::span<const PgnGame> games,
                            std::size_t firstNumber);

}  // namespace zarn::cli

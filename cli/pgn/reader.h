// Reading PGN text as people have it: any number of games, tag pairs (blank lines among them too),
// comments in braces and after semicolons, escape lines, variations nested to any depth, NAGs and
// judgement marks, move numbers with or without dots, null moves (--, Z0, 0000, @@@@), and the result.
// This reads the text only; the moves are matched against the legal moves by ReplayGame.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/pgn/game.h"

namespace zarn::cli {

// Variations may be nested this deep; deeper ones make the game unreadable.
inline constexpr int MaxVariationDepth = 64;

// Every game of the text, in order. A game that cannot be read has its error and errorLine set and
// covers the text up to where the next game can begin, so that it can be copied through unchanged;
// reading always goes on with the next game.
std::vector<PgnGame> ReadPgn(std::string_view text);

// A game of the text as it stands there, without the blanks and line ends after it, then a blank line:
// how a game that cannot be used is copied through. (A game that began with % in the middle of a line,
// or with the bytes of a byte-order mark, gets a blank before it, so that the copy reads as the game.)
std::string GameTextAsRead(std::string_view text, const PgnGame& game);

}  // namespace zarn::cli

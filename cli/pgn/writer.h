// Writing games as PGN in export form: tag pairs, then the movetext wrapped at 79 columns with move
// numbers, NAGs as $n, comments in braces and variations in parentheses.
#pragma once

#include <string>

#include "cli/pgn/game.h"

namespace zarn::cli {

// Tag values are written whole up to this many bytes and cut (at a character boundary) beyond it, so
// that no line passes 255 characters.
inline constexpr std::size_t MaxTagValueBytes = 200;

// The game, ending with a blank line. Moves are written from their san (from text where that is empty),
// null moves as --.
std::string WritePgn(const PgnGame& game);

}  // namespace zarn::cli

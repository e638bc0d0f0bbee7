// Replaying a read game against the engine's legal moves: the start position from the FEN tag, every
// move of the main line and of each variation matched and written again in standard notation.
#pragma once

#include <vector>

#include "cli/pgn/game.h"

namespace zarn::cli {

// Fills startFen, firstMoveNumber and firstSide from the tags and move and san of every move (a null
// move gets NullMove and --). Returns false with game.error and game.errorLine set when a move names no
// single legal move, a side in check passes, the start position is unusable, the variant is not
// standard chess or the game is too long for the engine.
bool ReplayGame(PgnGame& game);

// Sets the engine's position to the game's start followed by the moves (NullMove for a pass). Returns
// false when the engine cannot hold that many moves.
bool SetPositionAfter(const PgnGame& game, const std::vector<Move>& moves);

// The moves of the main line, NullMove where a side passes.
std::vector<Move> MainLineMoves(const PgnGame& game);

}  // namespace zarn::cli

// Game intake: the moves played since the last position set-up, replayed on the current position so
// that the search starts after the last move and knows the keys of every game position passed.
#pragma once

#include "engine/board/types.h"

namespace zarn {

// Replays every move of the text (coordinate moves such as e2e4 or e7e8q, separated by any of
// ",;=+/ "); a field that names no legal move of the side to move is skipped. The text is split in
// place. A null text replays nothing.
void SetGame(char* text);

// The legal move of the side that the field names, or 0.
Move ParseGameMove(int side, const char* field);

// Makes the move as the new root and counts it in the game history: 1 when done, 0 when the game
// already holds the most moves it can remember.
int ReplayMove(int side, Move move);

}  // namespace zarn

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

// Makes a null move as the new root, as the search makes one: the side to move passes, nothing moves,
// no en-passant capture is possible after it, and the game history counts the ply, so that the
// positions before and after it keep their places for the repetition test. The caller changes the
// side to move (the side that passes must not be in check); the history entry of the position after
// it is written by the next RebuildDerivedState, as after ReplayMove. 1 when done, 0 when the game
// already holds the most moves it can remember.
int ReplayNullMove();

}  // namespace zarn

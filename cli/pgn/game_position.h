// The engine's current position as the program walks through a game: set-up from a start position,
// moves played one after another, and the questions a move writer asks (check, mate, legal moves).
#pragma once

#include <string>
#include <vector>

#include "engine/board/types.h"

namespace zarn::cli {

// Sets the engine's position: the start position for an empty text, else a FEN text that CheckFen
// accepted. Starts a new game history.
void SetGameStart(const std::string& fen);

// A null move in a list of game moves: the side to move passes.
inline constexpr Move NullMove = 0;

// Plays a legal move of the side to move, or NullMove when that side is not in check, and hands the
// move to the other side; the game history records the new position, as the engine's own game intake
// does, so that the search sees repetitions of the game's positions. Returns false when the game
// history is full (the engine remembers at most GameReplayLimit moves); nothing is played then.
bool PlayGameMove(Move move);

// The legal moves of the side to move, in the generator's order.
std::vector<Move> LegalGameMoves();

// 1 White, 0 Black.
int GameSideToMove();
bool SideToMoveInCheck();

// Whether the legal move, once played, checks or mates the other side. The position is unchanged.
struct MoveEffect {
    bool check = false;
    bool mate = false;
};
MoveEffect EffectOf(Move move);

}  // namespace zarn::cli

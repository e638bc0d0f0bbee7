// Move generators: captures, quiet moves, check evasions, all moves, the legal moves of the root,
// and the test whether a remembered move can be played in the current position.
//
// Every generator writes into the shared MoveBuffer for one ply, from that ply's start, and stores
// the index after its last move as the ply's MoveEnd. A generator never writes past the end of the
// buffer: moves that would not fit are dropped and the range is left short.
#pragma once

#include "engine/board/types.h"

namespace zarn {

// Captures, every promotion to a queen and en-passant captures. Writes from MoveStart(ply).
template <int Side> void GenerateCaptures(int ply);
void GenerateCapturesWhite(int ply);
void GenerateCapturesBlack(int ply);

// Castling, non-captures and the promotions to rook, bishop and knight. Writes from start (the picker
// passes the current MoveEnd(ply) so that quiet moves follow the captures); returns the new MoveEnd.
template <int Side> int GenerateQuiet(int ply, int start);
int GenerateQuietWhite(int ply, int start);
int GenerateQuietBlack(int ply, int start);

// Replies to a check (legal but for an en-passant capture that uncovers the king). Writes from
// MoveStart(ply). The side to move must be in check.
template <int Side> void GenerateEvasions(int ply);
void GenerateEvasionsWhite(int ply);
void GenerateEvasionsBlack(int ply);

// Every pseudo-legal move, piece by piece. Writes from MoveStart(ply).
template <int Side> void GenerateAllMoves(int ply);
void GenerateAllWhite(int ply);
void GenerateAllBlack(int ply);
void GenerateAll(int side, int ply);

// Leaves the legal moves of the side in the range of ply 1 and returns their number.
int GenerateLegalMoves(int side);

// 1 when the move can be played pseudo-legally by the side in the current position at this ply.
template <int Side> int IsMovePossible(Move move, int ply);
int IsMovePossibleWhite(Move move, int ply);
int IsMovePossibleBlack(Move move, int ply);

}  // namespace zarn

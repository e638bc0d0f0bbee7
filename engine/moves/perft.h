// Counting the leaves of the legal move tree: a check of the generators and of make and undo.
#pragma once

#include <cstdint>

#include "engine/board/types.h"

namespace zarn {

// Leaves of the legal move tree of the given depth below the current position, the side to move
// being side and the position standing at the given ply. In a regular position (one king a side, no
// pawn on a back rank, the side not to move not in check) the legal moves come straight from pins and
// checks and the last ply is counted without being played; otherwise moves come from the search's
// generators and each is made, kept when the mover's king is not attacked, and taken back. The
// position is unchanged afterwards. Depth 0 counts 1; depth and ply together must stay below MaxPly - 1.
std::uint64_t Perft(int side, int depth, int ply);

// The same count with every move made, tested and taken back, whatever the position: the reference
// the fast path is checked against.
std::uint64_t PerftByMaking(int side, int depth, int ply);

// The legal moves of the side at the given ply, in generation order, left in that ply's range of the
// move buffer; returns their number.
int GeneratePerftMoves(int side, int ply);

}  // namespace zarn

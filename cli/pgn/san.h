// Moves in standard algebraic notation, read and written against the legal moves of the engine's
// current position.
#pragma once

#include <string>
#include <string_view>

#include "engine/board/types.h"

namespace zarn::cli {

struct SanReading {
    Move move = 0;      // the legal move named, 0 when error is set
    std::string error;  // why the text names no single legal move
};

// Reads a move of the side to move as people write it: Nf3, Nbd7, R1e2, Qh4xe1, exd5, ed5, e8=Q, e8Q,
// O-O, 0-0-0, with or without check, mate and judgement marks (+ # ! ?), a leading P, a - or : between
// the squares, or plain coordinates such as e2e4.
SanReading ReadSan(std::string_view text);

// Whether the text is a null move as programs write one: --, Z0, 0000 or @@@@. Written back as --.
bool IsNullMoveText(std::string_view text);
inline constexpr std::string_view NullMoveText = "--";

// The move in standard algebraic notation with the least disambiguation and a + or # suffix. The move
// must be legal in the current position.
std::string WriteSan(Move move);

}  // namespace zarn::cli

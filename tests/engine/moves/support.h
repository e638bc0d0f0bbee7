// Helpers for the move machinery tests: set a position, read a ply's moves, write moves as text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/board/board.h"
#include "engine/board/tables.h"
#include "engine/interface/zarn.h"
#include "engine/moves/buffer.h"
#include "engine/search/stack.h"

namespace zarn::testing {

// Sets the position as the engine's caller would; returns the side to move.
inline int SetPosition(const std::string& fen) {
    static bool initialised = false;
    if (!initialised) {
        InitialiseEngine();
        initialised = true;
    }
    std::string copy = fen;
    ZarnSetPosition(copy.data());
    return SideToMove;
}

inline std::vector<Move> MovesOf(int ply) {
    return std::vector<Move>(MoveBuffer + MoveStart(ply), MoveBuffer + SearchStack[ply].MoveEnd);
}

inline std::vector<Move> Sorted(std::vector<Move> moves) {
    std::sort(moves.begin(), moves.end());
    return moves;
}

inline int SquareOf(const char* name) { return 8 * (name[1] - '1') + (name[0] - 'a'); }

inline std::string Text(Move move) {
    char buffer[3];
    std::string text = SquareName(MoveFrom(move), buffer);
    text += SquareName(MoveTo(move), buffer);
    if (MovePromotion(move)) text += "xpnbrqk"[MovePromotion(move)];
    return text;
}

inline std::string Texts(const std::vector<Move>& moves) {
    std::string out;
    for (const Move move : moves) {
        if (!out.empty()) out += ' ';
        out += Text(move);
    }
    return out;
}

}  // namespace zarn::testing

// A game as PGN holds it: tag pairs, the main line with its comments, judgement marks (NAGs) and
// variations nested to any depth, the result, and where in the file the game stood.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "engine/board/types.h"

namespace zarn::cli {

struct PgnLine;

struct PgnMove {
    std::string text;                   // the move as written in the file
    Move move = 0;                      // the legal move it names (NullMove for a pass), once replayed
    std::string san;                    // the move as this program writes it
    std::vector<int> nags;              // $1 .. $255 in order of appearance
    std::vector<std::string> comments;  // comments after the move
    std::vector<PgnLine> variations;    // lines played instead of this move
    int sourceLine = 0;
};

struct PgnLine {
    std::vector<std::string> comments;  // comments before the first move
    std::vector<PgnMove> moves;
};

struct PgnGame {
    std::vector<std::pair<std::string, std::string>> tags;
    std::string startFen;  // "" for the standard start position, else a checked FEN text
    int firstMoveNumber = 1;
    int firstSide = White;
    PgnLine mainLine;
    std::string result = "*";

    // Where the game stands in its file: bytes [begin, end), the line of its first character.
    std::size_t begin = 0;
    std::size_t end = 0;
    int firstLine = 1;
    // Why the game cannot be used, and the line where that was noticed; empty for a good game.
    std::string error;
    int errorLine = 0;
};

// The value of a tag, or "" when the game has none.
std::string TagValue(const PgnGame& game, const std::string& name);

}  // namespace zarn::cli

// Positions as the program receives them: FEN text checked before the engine sees it, coordinate
// moves replayed one by one so that an illegal one is noticed, and a legal move to fall back on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zarn::cli {

struct FenCheck {
    std::string fen;                 // the text to hand the engine (valid when error is empty)
    std::string error;               // what makes the text unusable
    std::vector<std::string> notes;  // fields that were dropped because the position cannot have them
};

// Why a FEN placement field is not eight ranks, rank 8 first, each of eight squares in piece letters
// and the digits 1 to 8; empty when it is.
std::string PlacementError(std::string_view field);

// Accepts the six FEN fields (the two move counters may be missing) of a position with one king a
// side, at most sixteen pieces and eight pawns a side, no pawn on the first or last rank and the side
// not to move not in check. Castling rights whose king or rook has left home and an en-passant square
// that no double step can have produced are dropped with a note. The engine's reader sets the position
// up for the check; the engine's own position is the same afterwards.
FenCheck CheckFen(std::string_view text);

// Four characters of from- and to-square, lower-case, and an optional promotion letter q, r, b or n.
bool IsMoveText(std::string_view text);

struct PositionRecord {
    bool startPosition = true;
    std::string fen;  // checked text when startPosition is false
    std::vector<std::string> moves;
};

// Sets the record's position in the engine and replays its moves. Returns an empty text, or what went
// wrong (the engine then holds the position up to the move that failed).
std::string ApplyPosition(const PositionRecord& record);

// 1 White, 0 Black: the side to move in the engine's current position.
int EngineSideToMove();

// The move to play when a search reported no variation: the engine's best root move when it is legal,
// else the first legal move, "0000" when there is none. Call only between analyses.
std::string FallbackMove();

}  // namespace zarn::cli

// The scratch position: what ParseFen writes is saved before and restored after.
#include "engine/board/scratch_position.h"

#include <algorithm>
#include <string>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/tables.h"
#include "engine/search/history.h"
#include "engine/search/stack.h"

namespace zarn {

// ParseFen fills the mailbox, the castling counters and the en-passant square; RebuildDerivedState
// the side records, the rotated occupancies, the keys of ply 1 and of the game ply after the current
// one, and it ages the history counters.
struct ScratchPosition::Saved {
    std::int32_t board[64];
    std::int32_t moveCount[64];
    SideRecord sides[2];
    Bitboard rot90, a1h8, a8h1;
    std::int32_t epSquare;
    Key pawnKey, pieceKey;
    Key gamePawnKeys[GameHistorySize];
    Key gamePieceKeys[GameHistorySize];
    std::int32_t history[2][HistorySize];
    FieldBuffer fields;
};

ScratchPosition::ScratchPosition(std::string_view fen) : saved_(std::make_unique<Saved>()) {
    EnsureBoardTables();
    Saved& saved = *saved_;
    std::ranges::copy(Board, saved.board);
    std::ranges::copy(MoveCount, saved.moveCount);
    std::ranges::copy(Sides, saved.sides);
    saved.rot90 = OccupiedRot90;
    saved.a1h8 = OccupiedA1H8;
    saved.a8h1 = OccupiedA8H1;
    saved.epSquare = SearchStack[0].EpSquareAfter;
    saved.pawnKey = SearchStack[1].PawnKey;
    saved.pieceKey = SearchStack[1].PieceKey;
    std::ranges::copy(GamePawnKeys, saved.gamePawnKeys);
    std::ranges::copy(GamePieceKeys, saved.gamePieceKeys);
    for (int side = 0; side < 2; ++side) std::ranges::copy(History[side], saved.history[side]);

    std::string text(fen);  // the reader cuts its text into fields in place
    SplitFields(text.data(), saved.fields);
    ParseFen(saved.fields);
}

ScratchPosition::~ScratchPosition() {
    const Saved& saved = *saved_;
    std::ranges::copy(saved.board, Board);
    std::ranges::copy(saved.moveCount, MoveCount);
    std::ranges::copy(saved.sides, Sides);
    OccupiedRot90 = saved.rot90;
    OccupiedA1H8 = saved.a1h8;
    OccupiedA8H1 = saved.a8h1;
    SearchStack[0].EpSquareAfter = saved.epSquare;
    SearchStack[1].PawnKey = saved.pawnKey;
    SearchStack[1].PieceKey = saved.pieceKey;
    std::ranges::copy(saved.gamePawnKeys, GamePawnKeys);
    std::ranges::copy(saved.gamePieceKeys, GamePieceKeys);
    for (int side = 0; side < 2; ++side) std::ranges::copy(saved.history[side], History[side]);
}

}  // namespace zarn

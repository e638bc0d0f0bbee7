// Game intake: each move is matched against the legal moves of the position and made as the new root.
#include "engine/board/game.h"

#include <cstring>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "engine/search/stack.h"

namespace zarn {
namespace {

// Whether the field's last character names the promotion kind, in either case.
bool NamesPromotion(const char* field, int kind) {
    const std::size_t length = std::strlen(field);
    if (length == 0) return false;
    const char last = field[length - 1];
    const char lower = "xpnbrqk"[kind];
    return last == lower || last == PieceLetters[kind];
}

bool NamesSquares(const char* field, Move move) {
    const int from = MoveFrom(move);
    const int to = MoveTo(move);
    return field[0] == FileLetter(FileOf(from)) && field[1] == RankDigit(RankOf(from)) &&
           field[2] == FileLetter(FileOf(to)) && field[3] == RankDigit(RankOf(to));
}

}  // namespace

Move ParseGameMove(int side, const char* field) {
    RebuildDerivedState();
    GenerateLegalMoves(side);
    for (int i = MoveStart(1); i < SearchStack[1].MoveEnd; ++i) {
        const Move move = MoveBuffer[i];
        if (MoveKind(move) == Pawn && MovePromotion(move) && !NamesPromotion(field, MovePromotion(move)))
            continue;
        if (NamesSquares(field, move)) return move;
    }
    return 0;
}

int ReplayMove(int side, Move move) {
    // The history keeps the position after the last replayed move at entry GamePly + 1.
    if (GamePly >= GameReplayLimit) return 0;
    MakeMove(side, move, 1);
    ++GamePly;
    if (MoveKind(move) == Pawn || MoveCaptured(move) != 0) LastIrreversiblePly = GamePly;
    SearchStack[0].EpSquareAfter = SearchStack[1].EpSquareAfter;
    SearchStack[1].PawnKey = SearchStack[2].PawnKey;
    SearchStack[1].PieceKey = SearchStack[2].PieceKey;
    return 1;
}

int ReplayNullMove() {
    if (GamePly >= GameReplayLimit) return 0;
    ++GamePly;
    // A pass is reversible and moves nothing: the keys of the root stay, as after the search's null move.
    SearchStack[0].EpSquareAfter = 0;
    return 1;
}

void SetGame(char* text) {
    static FieldBuffer fields;
    const int count = SplitFields(text, fields);
    for (int i = 0; i < count; ++i) {
        const Move move = ParseGameMove(SideToMove, fields.Field(i));
        if (move != 0 && ReplayMove(SideToMove, move)) SideToMove = 1 - SideToMove;
    }
}

}  // namespace zarn

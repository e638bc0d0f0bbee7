// Walking the engine's position through a game.
#include "cli/pgn/game_position.h"

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/game.h"
#include "engine/interface/zarn.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "engine/search/stack.h"

namespace zarn::cli {

void SetGameStart(const std::string& fen) {
    if (fen.empty()) {
        ZarnSetStartPosition();
        return;
    }
    std::vector<char> text(fen.begin(), fen.end());
    text.push_back('\0');
    ZarnSetPosition(text.data());
}

bool PlayGameMove(Move move) {
    if (!(move == NullMove ? ReplayNullMove() : ReplayMove(SideToMove, move))) return false;
    SideToMove = 1 - SideToMove;
    RebuildDerivedState();
    return true;
}

std::vector<Move> LegalGameMoves() {
    const int count = GenerateLegalMoves(SideToMove);
    return std::vector<Move>(MoveBuffer + MoveStart(1), MoveBuffer + MoveStart(1) + count);
}

int GameSideToMove() { return SideToMove; }

bool SideToMoveInCheck() { return InCheck(SideToMove) != 0; }

MoveEffect EffectOf(Move move) {
    const int side = SideToMove;
    const int other = 1 - side;
    MoveEffect effect;
    MakeMove(side, move, 1);
    effect.check = InCheck(other) != 0;
    if (effect.check) {
        // Mate when no reply, tried one ply further on, leaves the king out of check.
        GenerateAll(other, 2);
        effect.mate = true;
        for (int i = MoveStart(2); i < SearchStack[2].MoveEnd && effect.mate; ++i) {
            const Move reply = MoveBuffer[i];
            MakeMove(other, reply, 2);
            if (!InCheck(other)) effect.mate = false;
            UnmakeMove(other, reply, 2);
        }
    }
    UnmakeMove(side, move, 1);
    return effect;
}

}  // namespace zarn::cli

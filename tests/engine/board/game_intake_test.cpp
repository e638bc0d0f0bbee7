// Game intake: coordinate moves replayed on the current position, the game history and its limit.
#include <gtest/gtest.h>

#include <string>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/game.h"
#include "engine/interface/zarn.h"
#include "tests/engine/moves/support.h"

namespace zarn {
namespace {

using testing::SetPosition;

void Replay(const std::string& text) {
    std::string copy = text;
    ZarnSetGame(copy.data());
}

TEST(GameIntake, ReplaysMovesAndCountsTheIrreversibleOnes) {
    SetPosition(StartPositionText);
    Replay("e2e4 e7e5 g1f3");
    EXPECT_EQ(SideToMove, Black);
    EXPECT_EQ(GamePly, 3);
    EXPECT_EQ(LastIrreversiblePly, 2);
    EXPECT_EQ(Board[F3], Knight);
    EXPECT_EQ(Board[E5], -Pawn);

    // Other separators, and the same moves over two calls.
    SetPosition(StartPositionText);
    Replay("e2e4,e7e5;g1f3");
    EXPECT_EQ(GamePly, 3);
    EXPECT_EQ(SideToMove, Black);
    SetPosition(StartPositionText);
    Replay("e2e4 e7e5");
    Replay("g1f3");
    EXPECT_EQ(GamePly, 3);
    EXPECT_EQ(LastIrreversiblePly, 2);
    EXPECT_EQ(Board[F3], Knight);
}

TEST(GameIntake, FieldsThatNameNoLegalMoveAreSkipped) {
    SetPosition(StartPositionText);
    Replay("1. e2e4 e2e4 e7e5 E2E4 O-O");
    EXPECT_EQ(GamePly, 2);
    EXPECT_EQ(SideToMove, White);
    EXPECT_EQ(Board[E5], -Pawn);

    SetPosition(StartPositionText);
    ZarnSetGame(nullptr);
    EXPECT_EQ(GamePly, 0);
}

TEST(GameIntake, PromotionNeedsItsLetterInEitherCase) {
    const char* fen = "4k3/4P3/8/8/8/8/8/K7 w - -";
    // The black king on e8 blocks e8: move it aside first.
    const char* open = "7k/4P3/8/8/8/8/8/K7 w - -";
    SetPosition(fen);
    Replay("e7e8n");
    EXPECT_EQ(GamePly, 0);
    SetPosition(open);
    Replay("e7e8n");
    EXPECT_EQ(Board[E8], Knight);
    SetPosition(open);
    Replay("e7e8N");
    EXPECT_EQ(Board[E8], Knight);
    SetPosition(open);
    Replay("e7e8");
    EXPECT_EQ(GamePly, 0);
    Replay("e7e8=Q");
    EXPECT_EQ(GamePly, 0);
    EXPECT_EQ(Board[E7], Pawn);
}

TEST(GameIntake, CastlingAndEnPassantAreWrittenAsPlainSteps) {
    SetPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    Replay("e1g1 e8c8");
    EXPECT_EQ(GamePly, 2);
    EXPECT_EQ(Board[F1], Rook);
    EXPECT_EQ(Board[D8], -Rook);
    EXPECT_EQ(LastIrreversiblePly, 0);

    SetPosition("4k3/3p4/8/4P3/8/8/8/4K3 b - -");
    Replay("d7d5 e5d6");
    EXPECT_EQ(GamePly, 2);
    EXPECT_EQ(Board[D6], Pawn);
    EXPECT_EQ(Board[D5], Empty);
    EXPECT_EQ(BlackPieces.PawnCount, 0);
}

TEST(GameIntake, RepeatedPositionsShareTheirKeysWithTheHistory) {
    SetPosition(StartPositionText);
    Replay("g1f3 g8f6 f3g1 f6g8");
    EXPECT_EQ(GamePly, 4);
    EXPECT_EQ(LastIrreversiblePly, 0);
    EXPECT_EQ(SearchStack[1].PawnKey, GamePawnKeys[1]);
    EXPECT_EQ(SearchStack[1].PieceKey, GamePieceKeys[1]);
    EXPECT_NE(GamePieceKeys[2], GamePieceKeys[1]);
}

TEST(GameIntake, AtMost999MovesAreReplayed) {
    SetPosition(StartPositionText);
    std::string text;
    for (int i = 0; i < 260; ++i) text += "g1f3 g8f6 f3g1 f6g8 ";
    Replay(text);
    EXPECT_EQ(GamePly, GameReplayLimit);
    // The history entry of the current position lies inside the arrays.
    EXPECT_EQ(GamePly + 1, GameHistorySize - 1);
    EXPECT_EQ(ReplayMove(SideToMove, MakeMoveCode(F6, G8, Knight)), 0);
    EXPECT_EQ(GamePly, GameReplayLimit);
}

}  // namespace
}  // namespace zarn

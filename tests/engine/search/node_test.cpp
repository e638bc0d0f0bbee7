// Single nodes of the search: terminal scores, quiescence, fail-soft results, extensions, the ply bound.
#include <gtest/gtest.h>

#include <string>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/eval/score.h"
#include "engine/interface/options.h"
#include "engine/interface/zarn.h"
#include "engine/moves/attacks.h"
#include "engine/moves/make.h"
#include "engine/search/hash.h"
#include "engine/search/phase.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "tests/engine/search/harness.h"

namespace zarn {
namespace {

class NodeTest : public ::testing::Test {
protected:
    void SetUp() override { testing::StartEngine(); }
    void TearDown() override { ZarnQuit(); }

    // Sets the position as the node at `ply` of an analysis whose root side is rootSide; the node
    // was entered by a null move, so neither repetition nor internal deepening applies.
    static void Prepare(const std::string& fen, int rootSide, int ply = 2) {
        testing::SetFen(fen);
        ZarnClearHashtable();
        SetDrawValues(rootSide);
        StopFlag = 0;
        ResetSearchStack();
        RebuildDerivedState();
        for (int p = 1; p <= ply; ++p) {
            SearchStack[p].PawnKey = SearchStack[1].PawnKey;
            SearchStack[p].PieceKey = SearchStack[1].PieceKey;
            SearchStack[p - 1].MoveEnd = 1;
            SearchStack[p - 1].CurrentMove = 0;
            if (p > 1) SearchStack[p - 1].EpSquareAfter = SearchStack[0].EpSquareAfter;
        }
        SearchStack[ply].SideInCheck = InCheck(SideToMove);
    }

    static int SearchAt(int depth, int alpha, int beta, int ply = 2) {
        return Search(SideToMove, depth, ply, alpha, beta, 0);
    }
};

TEST_F(NodeTest, MateAndStalemateScores) {
    Prepare("R5k1/5ppp/8/8/8/8/8/6K1 b - -", White);
    EXPECT_EQ(SearchAt(120, -MateScore, MateScore), 2 - MateScore);
    // Stalemate is worth the draw value of the side to move: the root side gets +DrawScore.
    Prepare("k7/8/1Q6/8/8/8/8/K7 b - -", White);
    EXPECT_EQ(SearchAt(120, -MateScore, MateScore), -15);
    Prepare("k7/8/1Q6/8/8/8/8/K7 b - -", Black);
    EXPECT_EQ(SearchAt(120, -MateScore, MateScore), 15);
    ZarnSetParam("DrawScore", "20");
    Prepare("7K/5k2/6q1/8/8/8/8/8 w - -", Black);
    EXPECT_EQ(SearchAt(120, -MateScore, MateScore), -20);
}

TEST_F(NodeTest, PinnedPiecesHaveNoMoves) {
    // Black's only piece besides the king is pinned, on a diagonal and on a file: stalemate.
    Prepare("7k/5Kn1/6P1/4B3/8/8/8/8 b - -", White);
    EXPECT_EQ(SearchAt(120, -MateScore, MateScore), -15);
    Prepare("7k/5K1n/8/8/8/8/8/7R b - -", White);
    EXPECT_EQ(SearchAt(120, -MateScore, MateScore), -15);
    // Taking en passant, the only other move, would empty the king's rank before the rook.
    Prepare("8/8/1Q6/8/k1pP3R/2P5/2N5/4K3 b - d3", White);
    EXPECT_EQ(SearchAt(120, -MateScore, MateScore), -15);
}

TEST_F(NodeTest, FailLowReturnsTheBestScoreFound) {
    // Black's only move Kb8 runs into Rh8 mate: below the window the node still returns that score.
    Prepare("k7/8/1K6/8/8/8/8/7R b - -", White);
    EXPECT_EQ(SearchAt(180, -1000, -900), 4 - MateScore);
}

TEST_F(NodeTest, QuiescenceStandsPatAndTakesTheKing) {
    // White to move can take the king left in check.
    Prepare("4k3/8/8/8/8/8/8/4RK2 w - -", White);
    EXPECT_EQ(SearchAt(0, -100, MateScore), MateScore);
    // With a mate score as alpha and no better evaluation the node returns alpha before any capture.
    Prepare("4k3/8/8/8/8/8/8/4RK2 w - -", White);
    EXPECT_EQ(SearchAt(0, 29500, MateScore), 29500);
    // A stand-pat evaluation at or above beta is returned as it is.
    Prepare("4k3/8/8/8/8/8/8/4RK2 w - -", White);
    const int eval = SearchAt(0, -MateScore, -1000);
    EXPECT_GT(eval, -1000);
    EXPECT_LT(eval, 29000);
}

TEST_F(NodeTest, DeepestPlyReturnsTheStaticEvaluation) {
    const std::string fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -";
    Prepare(fen, White, DeepestPly);
    const unsigned nodes = NodeCount;
    const int score = SearchAt(20 * OnePly, -MateScore, MateScore, DeepestPly);
    EXPECT_EQ(score, Evaluate(White, -MateScore, MateScore, DeepestPly));
    EXPECT_EQ(NodeCount, nodes + 1);
    Prepare("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -", White, DeepestPly + 1);
    EXPECT_EQ(SearchAt(20 * OnePly, -MateScore, MateScore, DeepestPly + 1),
              -Evaluate(Black, -MateScore, MateScore, DeepestPly + 1));
}

TEST_F(NodeTest, TimeCheckNeverClearsAStopRequest) {
    // A stop request arrives just before the periodic time check, which finds no reason to stop.
    Prepare("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", White);
    ZarnSetInfinite();
    StopFlag = 1;
    NodeCountdown = 1;
    const unsigned nodes = NodeCount;
    EXPECT_EQ(SearchAt(8 * OnePly, -MateScore, MateScore), 0);
    EXPECT_EQ(StopFlag, 1);
    EXPECT_LT(NodeCount - nodes, 1000u);  // one line down and back, not an eight-ply search
}

// The depth a child was searched to, read from its table entry after the parent's search.
int ChildDepthFromTable(int side, Move move, int ply) {
    MakeMove(side, move, ply);
    HashEntry* entry = ProbeOrClaim(1 - side, 0, ply + 1);
    UnmakeMove(side, move, ply);
    return entry ? EntryDepth(*entry) : -1;
}

TEST_F(NodeTest, SingleReplyExtensionCountsGeneratedEvasions) {
    // White's king on a4 is checked by the pawn that has just gone b7-b5. Nd4xb5 is the one evasion.
    const Move knightTakes = MakeMoveCode(D4, B5, Knight, Pawn);
    Prepare("4b2k/8/8/Np6/KP1N4/PP6/8/8 w - b6", Black);
    SearchAt(300, -MateScore, MateScore);
    EXPECT_EQ(ChildDepthFromTable(White, knightTakes, 2), 300 + 45 - 60);
    // With a pawn on c5 the en-passant capture c5xb6 is generated as well (it would expose the king to
    // the bishop on e8): two evasions are generated, so the one legal reply is not extended.
    Prepare("4b2k/8/8/NpP5/KP1N4/PP6/8/8 w - b6", Black);
    SearchAt(300, -MateScore, MateScore);
    EXPECT_EQ(ChildDepthFromTable(White, knightTakes, 2), 300 - 60);
}

}  // namespace
}  // namespace zarn

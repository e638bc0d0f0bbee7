// Progress reports: thresholds, text forms, argument order and missing callbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/board/board.h"
#include "engine/board/types.h"
#include "engine/interface/callbacks.h"
#include "engine/interface/report.h"
#include "engine/moves/buffer.h"
#include "engine/search/root.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "engine/search/timer.h"
#include "tests/engine/search/harness.h"

namespace zarn {
namespace {

using testing::Calls;
using testing::ReportCall;

std::int64_t fakeNow = 0;
std::int64_t FakeClock() { return fakeNow; }

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::StartEngine();
        SetClock(&FakeClock);
        fakeNow = 50'000;
        StartClock();
    }
    void TearDown() override {
        SetClock(nullptr);
        ZarnQuit();
    }

    static void SetRootPv(std::initializer_list<Move> moves) {
        int i = 1;
        for (Move move : moves) SearchStack[1].Pv[i++] = move;
        SearchStack[1].Pv[i] = 0;
    }
};

TEST_F(ReportTest, MoveTextWritesSquaresAndCapitalPromotionLetters) {
    char text[MoveTextSize];
    EXPECT_STREQ(MoveText(MakeMoveCode(E2, E4, Pawn), text), "e2e4");
    EXPECT_STREQ(MoveText(MakeMoveCode(A7, A8, Pawn, 0, Knight), text), "a7a8N");
    EXPECT_STREQ(MoveText(MakeMoveCode(E7, D8, Pawn, Rook, Queen), text), "e7d8Q");
}

TEST_F(ReportTest, VariationTextForms) {
    SetRootPv({MakeMoveCode(E2, E4, Pawn), MakeMoveCode(E7, E5, Pawn), MakeMoveCode(G1, F3, Knight)});
    char text[PvTextSize];
    EXPECT_STREQ(PvText(ReportExact, text), "e2e4 e7e5 g1f3 ");
    EXPECT_STREQ(PvText(ReportFailHigh, text), "e2e4!");
    EXPECT_STREQ(PvText(ReportFailLow, text), "e2e4?");
    SetRootPv({MakeMoveCode(D2, D4, Pawn)});
    EXPECT_STREQ(PvText(ReportExact, text), "d2d4 ");
}

TEST_F(ReportTest, VariationReportOrderAndThreshold) {
    SetRootPv({MakeMoveCode(D2, D4, Pawn), MakeMoveCode(D7, D5, Pawn)});
    NodeCount = 12345;
    ReportPv(17, 299, ReportExact);  // below five plies: nothing
    EXPECT_TRUE(Calls().empty());

    ReportPv(40, 420, ReportFailHigh);
    ASSERT_EQ(Calls().size(), 3u);
    EXPECT_EQ(Calls()[0].kind, ReportCall::Depth);
    EXPECT_EQ(Calls()[0].first, 7);
    EXPECT_EQ(Calls()[0].second, 0);
    EXPECT_EQ(Calls()[1].kind, ReportCall::Nodes);
    EXPECT_EQ(Calls()[1].first, 12345);
    EXPECT_EQ(Calls()[1].second, 0);
    EXPECT_EQ(Calls()[2].kind, ReportCall::Mainline);
    EXPECT_EQ(Calls()[2].text, "d2d4!");
    EXPECT_EQ(Calls()[2].first, 40);

    Calls().clear();
    ReportPv(-25, 300, ReportExact);
    ASSERT_EQ(Calls().size(), 3u);
    EXPECT_EQ(Calls()[0].first, 5);
    EXPECT_EQ(Calls()[2].text, "d2d4 d7d5 ");
    EXPECT_EQ(Calls()[2].first, -25);
}

TEST_F(ReportTest, CurrentMoveOnlyAfterTheFirstSecond) {
    CurrentRootMove = MakeMoveCode(G1, F3, Knight);
    CurrentRootMoveIndex = 3;
    SearchStack[1].MoveEnd = 21;  // twenty root moves
    NodeCount = 99;
    fakeNow += 1000;
    ReportCurrentMove(240);
    EXPECT_TRUE(Calls().empty());
    fakeNow += 1;
    ReportCurrentMove(240);
    ASSERT_EQ(Calls().size(), 3u);
    EXPECT_EQ(Calls()[0].kind, ReportCall::Depth);
    EXPECT_EQ(Calls()[0].first, 4);
    EXPECT_EQ(Calls()[1].kind, ReportCall::Nodes);
    EXPECT_EQ(Calls()[1].first, 99);
    EXPECT_EQ(Calls()[2].kind, ReportCall::Move);
    EXPECT_EQ(Calls()[2].text, "g1f3");
    EXPECT_EQ(Calls()[2].first, 3);
    EXPECT_EQ(Calls()[2].second, 20);
}

TEST_F(ReportTest, MissingCallbacksAreSkipped) {
    const ReportCallbacks partial = {24, nullptr, testing::RecordDepth, nullptr, nullptr, nullptr};
    ASSERT_GT(ZarnInit(&partial, "", 1024), 0);
    SetClock(&FakeClock);
    StartClock();
    SetRootPv({MakeMoveCode(D2, D4, Pawn)});
    ReportPv(0, 600, ReportExact);
    fakeNow += 5000;
    ReportCurrentMove(600);
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[0].kind, ReportCall::Depth);
    EXPECT_EQ(Calls()[1].kind, ReportCall::Depth);
    // A null record leaves every callback empty, and an analysis still runs.
    ASSERT_GT(ZarnInit(nullptr, "", 1024), 0);
    SetClock(nullptr);
    ZarnSetDepth(6);
    ZarnSetStartPosition();
    EXPECT_EQ(ZarnAnalyse(0), 0);
}

TEST_F(ReportTest, ShortShallowAnalysisReportsNothing) {
    SetClock(nullptr);
    ZarnSetDepth(4);
    ZarnSetStartPosition();
    Calls().clear();
    EXPECT_EQ(ZarnAnalyse(0), 0);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ReportTest, AnalysisReportsEndWithTheBestVariation) {
    SetClock(nullptr);
    const auto line = testing::AnalyseToDepth("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", 7);
    ASSERT_FALSE(line.text.empty());
    // Every variation report comes as depth, nodes, mainline.
    const auto& calls = Calls();
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].kind == ReportCall::Mainline) {
            ASSERT_GE(i, 2u);
            EXPECT_EQ(calls[i - 2].kind, ReportCall::Depth);
            EXPECT_EQ(calls[i - 1].kind, ReportCall::Nodes);
        }
    // The best move stands first among the root moves when the analysis ends.
    char text[MoveTextSize];
    EXPECT_EQ(testing::FirstMoveOf(line.text), MoveText(MoveBuffer[1], text));
}

}  // namespace
}  // namespace zarn

namespace zarn {
namespace {

// Every exact variation reported is a line of legal moves from the root.
TEST(ReportedVariations, AreLegalLines) {
    testing::StartEngine();
    const char* positions[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
        "8/pp3k2/2p5/3P4/8/2P2K2/PP6/8 w - -",
    };
    for (const char* fen : positions) {
        testing::AnalyseToDepth(fen, 8);
        for (const testing::ReportCall& call : testing::Calls()) {
            if (call.kind != testing::ReportCall::Mainline || call.text.back() != ' ') continue;
            testing::SetFen(fen);
            testing::SetGameMoves(call.text);
            const auto moves = std::count(call.text.begin(), call.text.end(), ' ');
            EXPECT_EQ(GamePly, moves) << fen << ": " << call.text;
        }
    }
    ZarnQuit();
}

}  // namespace
}  // namespace zarn

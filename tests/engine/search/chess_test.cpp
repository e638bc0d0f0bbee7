// Whole analyses through the exports: mates with their distance, material won, draws by repetition.
#include <gtest/gtest.h>

#include <string>

#include "engine/board/types.h"
#include "engine/interface/zarn.h"
#include "tests/engine/search/harness.h"

namespace zarn {
namespace {

using testing::AnalyseToDepth;
using testing::FirstMoveOf;

class ChessTest : public ::testing::Test {
protected:
    void SetUp() override { testing::StartEngine(); }
    void TearDown() override { ZarnQuit(); }
};

TEST_F(ChessTest, MateInTwo) {
    const auto line = AnalyseToDepth("r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq -", 6);
    EXPECT_EQ(FirstMoveOf(line.text), "d5f6");
    EXPECT_EQ(line.first, MateScore - 4);
}

TEST_F(ChessTest, MateInThreeAndTheDistanceKeptThroughTheTable) {
    const auto line = AnalyseToDepth("2r3k1/p4p2/3Rp2p/1p2P1pK/8/1P4P1/P3Q2P/1q6 b - -", 7);
    EXPECT_EQ(FirstMoveOf(line.text), "b1g6");
    EXPECT_EQ(line.first, MateScore - 6);
    // Two plies later, with the table still full of this line, the mate is two moves away.
    const auto later = AnalyseToDepth("2r3k1/p4p2/3Rp1qp/1p2P1p1/6K1/1P4P1/P3Q2P/8 b - -", 5);
    EXPECT_EQ(later.first, MateScore - 4);
    // And the same again from an empty table.
    ZarnClearHashtable();
    const auto fresh = AnalyseToDepth("2r3k1/p4p2/3Rp1qp/1p2P1p1/6K1/1P4P1/P3Q2P/8 b - -", 5);
    EXPECT_EQ(fresh.first, MateScore - 4);
    EXPECT_EQ(FirstMoveOf(fresh.text), FirstMoveOf(later.text));
}

TEST_F(ChessTest, HangingQueenIsTaken) {
    const auto line = AnalyseToDepth("rnb1kbnr/pppp1ppp/8/4p1q1/4P3/3P4/PPP2PPP/RNBQKBNR w KQkq -", 6);
    EXPECT_EQ(FirstMoveOf(line.text), "c1g5");
    EXPECT_GT(line.first, 700);
}

TEST_F(ChessTest, RepeatingAGamePositionIsADraw) {
    // Black is a queen up; White's king steps back to h1, where the game has been before.
    const std::string fen = "1q4k1/8/8/8/8/8/P7/6K1 w - -";
    auto line = AnalyseToDepth(fen, 6, "g1h1 g8h8 h1g1 h8g8");
    EXPECT_EQ(FirstMoveOf(line.text), "g1h1");
    EXPECT_EQ(line.first, 15);
    // The draw is worth the root side's DrawScore.
    ZarnSetParam("DrawScore", "-7");
    ZarnClearHashtable();
    line = AnalyseToDepth(fen, 6, "g1h1 g8h8 h1g1 h8g8");
    EXPECT_EQ(FirstMoveOf(line.text), "g1h1");
    EXPECT_EQ(line.first, -7);
    // Without that game history the move is no draw.
    ZarnClearHashtable();
    line = AnalyseToDepth(fen, 6);
    EXPECT_LT(line.first, -500);
}

TEST_F(ChessTest, PerpetualCheckWithinTheLineIsADraw) {
    // A rook down and with the queen attacked, White checks on e8 and h5 for ever.
    const auto line = AnalyseToDepth("6k1/6p1/8/8/8/8/rq2Q1PP/7K w - -", 8);
    EXPECT_EQ(FirstMoveOf(line.text), "e2e8");
    EXPECT_EQ(line.first, 15);
}

TEST_F(ChessTest, NoFiftyMoveRule) {
    // Half-move counters far beyond fifty moves change nothing: the mate still counts.
    const auto line = AnalyseToDepth("6k1/5ppp/8/8/8/8/8/3R2K1 w - - 120 180", 5);
    EXPECT_EQ(FirstMoveOf(line.text), "d1d8");
    EXPECT_EQ(line.first, MateScore - 2);
}

}  // namespace
}  // namespace zarn

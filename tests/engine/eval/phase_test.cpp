// What an analysis prepares before it searches: game phase, draw values and the king table copies.
#include "engine/eval/constants.h"
#include "engine/eval/tables.h"
#include "tests/engine/eval/support.h"

namespace zarn::testing {
namespace {

using Phase = EvalTest;

TEST_F(Phase, OpeningLastsWhileCastlingIsPossibleAndForTwentyFivePlies) {
    Set(StartPositionText);
    EXPECT_EQ(GamePhase, OpeningPhase);
    GamePly = 24;
    PrepareRoot(White);
    EXPECT_EQ(GamePhase, OpeningPhase);
    GamePly = 25;  // even though both sides can still castle
    PrepareRoot(White);
    EXPECT_EQ(GamePhase, MiddlegamePhase);

    // One side keeping a right is enough to stay in the opening.
    Set("r3kbnr/pppppppp/2nqb3/8/8/2NQB3/PPPPPPPP/R3KBNR w q -");
    EXPECT_EQ(GamePhase, OpeningPhase);
    Set("r3kbnr/pppppppp/2nqb3/8/8/2NQB3/PPPPPPPP/R3KBNR w - -");
    EXPECT_EQ(GamePhase, MiddlegamePhase);
}

TEST_F(Phase, EndgameOnceBothSidesAreBelowFifteenAndNeverBack) {
    Set("r1b1k3/pppppppp/8/8/8/8/PPPPPPPP/R1N1K3 w Qq -");  // rook and bishop against rook and knight
    EXPECT_EQ(GamePhase, EndgamePhase);
    // Within the same position the phase does not go back, even with castling possible.
    GamePly = 0;
    Sides[White].PieceMaterial = 31;
    PrepareRoot(White);
    EXPECT_EQ(GamePhase, EndgamePhase);
    // A new position starts again from the opening.
    Set(StartPositionText);
    EXPECT_EQ(GamePhase, OpeningPhase);
}

TEST_F(Phase, DevelopmentCountsOnlyInTheOpening) {
    EvalTrace trace;
    Set("rnbqkbnr/pppppppp/8/8/8/5Q2/PPPPPPPP/RNB1KBNR w KQkq -");
    Traced(trace);
    ASSERT_NE(Term(trace, "development"), nullptr);
    EXPECT_EQ(Term(trace, "development")->total, -15);
    GamePly = 30;
    Prepare();
    Traced(trace);
    EXPECT_EQ(Term(trace, "development"), nullptr);
}

TEST_F(Phase, DrawValuesBelongToTheSideToMoveAtTheRoot) {
    SetOption("DrawScore", "20");
    Set("k7/8/8/8/8/8/8/K7 b - -");
    EXPECT_EQ(WhiteDrawScore, -20);
    EXPECT_EQ(BlackDrawScore, 20);
    EXPECT_EQ(Eval(), -20);
    Set("k7/8/8/8/8/8/8/K7 w - -");
    EXPECT_EQ(WhiteDrawScore, 20);
    EXPECT_EQ(BlackDrawScore, -20);
}

TEST_F(Phase, KingTableCopiesFollowTheFourOptions) {
    Set(StartPositionText);
    for (int i = 0; i < SafetyTableSize; ++i) {
        EXPECT_EQ(WhiteSafety[i], BaseTables[SafetyBase][i]);
        EXPECT_EQ(BlackSafety[i], BaseTables[SafetyBase][i]);
    }
    for (int i = 0; i < OffensiveTableSize; ++i) {
        EXPECT_EQ(WhiteOffensive[i], OffensiveBase[i]);
        EXPECT_EQ(BlackOffensive[i], OffensiveBase[i]);
    }

    SetOption("SafetyAsymmetry", "50");
    SetOption("SafetyScale", "200");
    SetOption("OffensiveAsymmetry", "-50");
    SetOption("OffensiveScale", "50");
    PrepareRoot(Black);  // Black is the root side
    // The root side keeps the base safety and gets the weighed offensive table; the opponent the reverse.
    EXPECT_EQ(BlackSafety[2], 15 * 2);
    EXPECT_EQ(WhiteSafety[2], (15 + 7) * 2);
    EXPECT_EQ(WhiteOffensive[0], -25 / 2);
    EXPECT_EQ(BlackOffensive[0], (-25 + 12) / 2);  // -25 * -50 / 100 = 12, truncated; -13 / 2 = -6
    EXPECT_EQ(BlackOffensive[0], -6);
    EXPECT_EQ(BlackOffensive[40], (125 - 62) / 2);
    PrepareRoot(White);
    EXPECT_EQ(WhiteSafety[2], 15 * 2);
    EXPECT_EQ(BlackSafety[2], (15 + 7) * 2);
}

}  // namespace
}  // namespace zarn::testing

// The evaluation driver: material balance, winnable sides, pawnless endings, the scalings, the lazy
// exits and the switch between king safety and endgame king placement.
#include "tests/engine/eval/support.h"

#include "engine/eval/constants.h"
#include "engine/eval/tables.h"

namespace zarn::testing {
namespace {

using Material = EvalTest;

TEST_F(Material, BareKingsAndLoneMinorsAreDeadDrawsWorthTheDrawValue) {
    for (const char* fen : {"k7/8/8/8/8/8/8/K7 w - -", "k7/8/8/8/8/8/8/KN6 w - -", "kb6/8/8/8/8/8/8/K7 w - -"}) {
        Set(fen);
        EXPECT_EQ(WinnableSides(SideToMove), 0) << fen;
        EXPECT_EQ(Eval(), 15) << fen;
    }
    // The draw value belongs to the side to move at the root.
    Set("k7/8/8/8/8/8/8/K7 b - -");
    EXPECT_EQ(Eval(), -15);
}

TEST_F(Material, KnightAndBishopDriveTheKingToTheBishopsCorner) {
    Set("k7/8/8/8/8/8/8/KBN5 w - -");  // light-squared bishop, defending king on a8
    EXPECT_EQ(WinnableSides(SideToMove), WhiteCanWin);
    EXPECT_EQ(MaterialBalance(), 720);
    EXPECT_EQ(Eval(), 820);
    // With a dark-squared bishop a8 is the wrong corner: 30 + 10 * |0 + 7 - 7|.
    Set("k7/8/8/8/8/8/8/K1BN4 w - -");
    EXPECT_EQ(PawnlessEndgame(), 30);
    // And the same for Black, negated.
    Set("k1bn4/8/8/8/8/8/8/7K w - -");  // light-squared Black bishop
    EXPECT_EQ(PawnlessEndgame(), -LightCornerTable[H1]);
}

TEST_F(Material, RookAgainstMinorWithoutPawnsIsADeadDraw) {
    Set("k5n1/8/8/8/8/8/8/KR6 w - -");
    EXPECT_EQ(WinnableSides(SideToMove), 0);
    EXPECT_EQ(Eval(), WhiteDrawScore);
}

TEST_F(Material, RookPawnWithTheDefenderInTheCornerCannotWin) {
    Set("1k6/8/8/8/8/8/P7/K7 w - -");
    EXPECT_EQ(WinnableSides(SideToMove), 0);
    EXPECT_EQ(Eval(), WhiteDrawScore);
    // Far from the corner, the defender no longer holds it.
    Set("8/8/8/8/8/7k/P7/K7 w - -");
    EXPECT_EQ(WinnableSides(SideToMove), WhiteCanWin);
}

TEST_F(Material, RookPawnRuleCountsTheTempoOfTheSideToMove) {
    // The pawn needs five moves, the Black king five steps to a8: it holds only with Black to move.
    Set("8/8/8/8/8/P4k2/8/4K3 w - -");
    const int whiteToMove = WinnableSides(White);
    const int blackToMove = WinnableSides(Black);
    EXPECT_EQ(whiteToMove, WhiteCanWin);
    EXPECT_EQ(blackToMove, 0);
}

TEST_F(Material, RookAgainstPawnOnlyRaisesScoresBelowTheDrawValue) {
    Set("8/p7/8/8/8/7k/8/K1R5 w - -");
    EXPECT_EQ(WinnableSides(SideToMove), WhiteCanWin);
    EvalTrace trace;
    const int value = Traced(trace);
    EXPECT_GT(value, WhiteDrawScore);
    EXPECT_EQ(Term(trace, "draw clamp"), nullptr);
}

TEST_F(Material, ASideThatCannotWinIsHeldToTheDrawValue) {
    // White's rook pawn cannot get past the king on a8, Black's h-pawn still can run.
    Set("k7/8/P6p/8/8/8/8/K7 w - -");
    EXPECT_EQ(WinnableSides(SideToMove), BlackCanWin);
    EvalTrace trace;
    EXPECT_EQ(Traced(trace), WhiteDrawScore);
    ASSERT_NE(Term(trace, "draw clamp"), nullptr);
    EXPECT_LT(Term(trace, "draw clamp")->total, 0);
}

TEST_F(Material, TradeTermFavoursTheQueenAgainstTwoRooks) {
    Set("krr5/8/8/8/8/8/8/KQ6 w - -");
    EXPECT_EQ(MaterialBalance(), -100 + 120);
    SetOption("MaterialTrade", "0");
    EXPECT_EQ(MaterialBalance(), -100);
}

TEST_F(Material, TradeTermRows) {
    struct Case {
        const char* fen;
        int imbalance;
    };
    const Case cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 0},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKB1R w KQkq -", -120},  // a minor down
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQK2R w KQkq -", -120},   // two minors down
        {"rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RN2KBNR w KQkq -", -120},   // queens off, a minor down
        {"r1bqkbnr/pppppppp/8/8/8/8/PPPPPPPP/R1BQKBNR w KQkq -", 0},     // a knight each
        {"r1bqkbnr/pppppppp/8/8/8/8/PPPPPPPP/1NBQKBNR w Kkq -", 0},      // rook for a single minor
        {"r1bqkb1r/pppppppp/8/8/8/8/PPPPPPPP/1NBQKBNR w Kkq -", 120},    // rook for two minors
        {"r1bqkbn1/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQq -", -60},    // queen for rook and minor
        {"1nbqkbn1/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQ -", -120},    // queen against two rooks
        {"1nb1kbn1/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ -", 120},     // equal minors, more majors
        {"1nb1kbn1/pppppppp/8/8/8/8/PPPPPPPP/RN1QKBNR w KQ -", 0},       // majors three or more apart
    };
    for (const Case& c : cases) {
        Set(c.fen);
        EXPECT_EQ(MaterialImbalance(), c.imbalance) << c.fen;
        EXPECT_EQ(MaterialBalance(), WhitePieces.Material - BlackPieces.Material + c.imbalance) << c.fen;
    }
}

TEST_F(Material, OppositeBishopsHalveOrQuarterTheScore) {
    EvalTrace trace;
    // Lone bishops, one pawn apart: a quarter.
    Set("4k3/2b1p3/8/8/8/8/2P1P3/4KB2 w - -");
    int value = Traced(trace);
    ASSERT_NE(Term(trace, "opposite bishops scaling"), nullptr);
    int before = value - Term(trace, "opposite bishops scaling")->total;
    EXPECT_EQ(value, before / 4);
    EXPECT_NE(before, 0);
    // Three pawns apart: a half.
    Set("4k3/2b1p3/8/8/8/8/1PP1P1P1/4KB2 w - -");
    value = Traced(trace);
    ASSERT_NE(Term(trace, "opposite bishops scaling"), nullptr);
    before = value - Term(trace, "opposite bishops scaling")->total;
    EXPECT_EQ(value, before / 2);
    // Same-coloured bishops are not scaled.
    Set("4k3/3bp3/8/8/8/8/2P1P3/4KB2 w - -");
    Traced(trace);
    EXPECT_EQ(Term(trace, "opposite bishops scaling"), nullptr);
}

TEST_F(Material, OppositeBishopsWithEqualPiecesHalveOnlyWhatIsBeyondMaterial) {
    // Rook and bishop each, White three pawns up.
    Set("r3k3/2b1p3/8/8/8/8/1PP1P1P1/R3KB2 w - -");
    EvalTrace trace;
    const int value = Traced(trace);
    ASSERT_NE(Term(trace, "opposite bishops scaling"), nullptr);
    const int before = value - Term(trace, "opposite bishops scaling")->total;
    const int d = WhitePieces.Material - BlackPieces.Material;
    EXPECT_EQ(d, 300);
    EXPECT_EQ(value, (before - d) / 2 + d);
}

TEST_F(Material, LazyExitReturnsTheMaterialOutsideTheWindow) {
    Set("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    EXPECT_EQ(MaterialBalance(), 1020);
    EXPECT_EQ(Eval(-50, 50), 1020);
    EvalTrace trace;
    EvaluateTraced(White, -50, 50, 1, trace);
    EXPECT_NE(trace.exit, nullptr);
    // The full window evaluates everything.
    EXPECT_NE(Eval(), 1020);
}

TEST_F(Material, KingSafetyOnlyWhileBothSidesKeepFifteen) {
    EvalTrace trace;
    Set("1n1qkb2/pppppppp/8/8/8/8/PPPPPPPP/1N1QKB2 w - -");  // 15 against 15
    Traced(trace);
    EXPECT_FALSE(trace.endgame);
    EXPECT_NE(Term(trace, "king safety"), nullptr);
    EXPECT_EQ(Term(trace, "endgame king placement"), nullptr);

    Set("r2qk3/pppppppp/8/8/8/8/PPPPPPPP/1N1QKB2 w - -");  // 15 against 14
    Traced(trace);
    EXPECT_TRUE(trace.endgame);
    EXPECT_EQ(Term(trace, "king safety"), nullptr);
    EXPECT_EQ(trace.whiteKingDanger, 0);
    EXPECT_EQ(trace.blackKingDanger, 0);
    const EvalTraceTerm* placement = Term(trace, "endgame king placement");
    ASSERT_NE(placement, nullptr);
    EXPECT_EQ(placement->white, SideTables[White][KingEndgameBothWings][E1]);
    EXPECT_EQ(placement->black, SideTables[Black][KingEndgameBothWings][E8]);
}

TEST_F(Material, EndgameKingTableFollowsThePawnWings) {
    EvalTrace trace;
    Set("8/1p6/8/2k5/8/8/1P6/3K4 w - -");  // queen side only
    Traced(trace);
    ASSERT_NE(Term(trace, "endgame king placement"), nullptr);
    EXPECT_EQ(Term(trace, "endgame king placement")->white, SideTables[White][KingEndgameQueenSide][D1]);
    EXPECT_EQ(Term(trace, "endgame king placement")->black, SideTables[Black][KingEndgameQueenSide][C5]);
    Set("8/6p1/8/5k2/8/8/6P1/3K4 w - -");  // king side only
    Traced(trace);
    EXPECT_EQ(Term(trace, "endgame king placement")->white, SideTables[White][KingEndgameKingSide][D1]);
}

TEST_F(Material, DevelopmentCountsQueenSortiesAndLostCastling) {
    Set("rnbqkbnr/pppppppp/8/8/8/5Q2/PPPPPPPP/RNB1KBNR w Kkq -");
    EXPECT_EQ(Development(), -15);
    Set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w kq -");
    EXPECT_EQ(Development(), -35);
    Set("rnb1kbnr/pppppppp/8/8/3q4/8/PPPPPPPP/RNBQKBNR w KQ -");
    EXPECT_EQ(Development(), 15 + 35);
    // Having castled, the lost rights cost nothing.
    WhitePieces.Castled = 1;
    Set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1RK1 w kq -");
    EXPECT_EQ(Development(), 0);
    WhitePieces.Castled = 0;
}

}  // namespace
}  // namespace zarn::testing

// Piece terms and king safety: outposts, bishops, rook files, the seventh rank, passed-pawn rooks,
// king danger and the king attack term.
#include <bit>

#include "engine/eval/constants.h"
#include "engine/eval/pieces.h"
#include "engine/eval/tables.h"
#include "engine/moves/sliders.h"
#include "tests/engine/eval/support.h"

namespace zarn::testing {
namespace {

class Pieces : public EvalTest {
protected:
    // Sets the position and selects its pawn entry, as the evaluation does before the piece terms.
    static void SetWithPawns(const std::string& fen) {
        Set(fen);
        EvaluatePawns(1);
        WhiteKingDanger = BlackKingDanger = 0;
        WhiteAttackPoints = BlackAttackPoints = 0;
    }

    // Placement plus mobility of one White bishop, computed from the attack sets.
    static int BishopBase(int square) {
        const int reach = std::popcount(BishopAttacksOf(square) & ~AllPieces());
        return BaseTables[BishopTable][square] + BishopMobility[reach];
    }
};

TEST_F(Pieces, KnightOutpostOnE6) {
    SetWithPawns("1n5k/8/4N3/3P1P2/8/8/8/6K1 w - -");  // two defenders
    EXPECT_EQ(KnightTerm<White>(), 6 + 20 + 20);
    SetWithPawns("1n5k/8/4N3/3P4/8/8/8/6K1 w - -");  // one defender, Black still has a knight
    EXPECT_EQ(KnightTerm<White>(), 6 + 20 + 10);
    SetWithPawns("1n5k/4p3/4N3/3P1P2/8/8/8/6K1 w - -");  // a Black pawn on e7 is stuck behind it
    EXPECT_EQ(KnightTerm<White>(), 6 + 20 + 20 + 12);
    SetWithPawns("1n5k/8/4N3/3P1P2/2p5/8/8/6K1 w - -");  // c4 cannot reach d5's side: still an outpost
    EXPECT_EQ(KnightTerm<White>(), 6 + 20 + 20);
    SetWithPawns("1n5k/5p2/4N3/3P4/8/8/8/6K1 w - -");  // f7 can drive it away: no outpost
    EXPECT_EQ(KnightTerm<White>(), 6);
}

TEST_F(Pieces, KnightOutpostIsFullWhenNoEnemyMinorCanChallengeIt) {
    // No Black knight, and the Black bishop on the other colour (b8 is dark, e6 light).
    SetWithPawns("1b5k/8/4N3/3P4/8/8/8/6K1 w - -");
    EXPECT_EQ(KnightTerm<White>(), 6 + 20 + 20);
    // A Black bishop on e6's colour can exchange it.
    SetWithPawns("2b4k/8/4N3/3P4/8/8/8/6K1 w - -");
    EXPECT_EQ(KnightTerm<White>(), 6 + 20 + 10);
    // The Black twin: a knight on e3 held by d4, White keeps a knight.
    SetWithPawns("1N5K/8/8/8/3p4/4n3/8/6k1 w - -");
    EXPECT_EQ(KnightTerm<Black>(), 6 + 20 + 10);
    SetWithPawns("7K/8/8/8/3p4/4n3/8/1B4k1 w - -");  // b1 light, e3 dark: no challenger
    EXPECT_EQ(KnightTerm<Black>(), 6 + 20 + 20);
}

TEST_F(Pieces, LoneBishopPaysForItsOwnPawnsOnItsColour) {
    SetWithPawns("7k/8/8/8/8/1P1B3P/P5P1/6K1 w - -");  // d3 light; a2, b3, g2, h3 light
    EXPECT_EQ(BishopTerm<White>(true), BishopBase(D3) - 16);
    SetWithPawns("7k/8/8/8/8/2B1B3/PPPPPP2/6K1 w - -");
    EXPECT_EQ(BishopTerm<White>(true), BishopBase(C3) + BishopBase(E3) + 20);
    SetWithPawns("7k/8/8/8/8/2B1B3/PPPPPPPP/6K1 w - -");
    EXPECT_EQ(BishopTerm<White>(true), BishopBase(C3) + BishopBase(E3) + 8);
}

TEST_F(Pieces, TrappedBishopOnTheRookFile) {
    SetWithPawns("7k/B7/1p6/8/8/8/8/6K1 w - -");
    EXPECT_EQ(BishopTerm<White>(true), BishopBase(A7) - 175);
    // With bishops on a7 and h7 only the a7 one is examined, and b6 is free.
    SetWithPawns("7k/B6B/6p1/8/8/8/8/6K1 w - -");
    EXPECT_EQ(BishopTerm<White>(true), BishopBase(A7) + BishopBase(H7) + 20);
    // The Black twin on a2 with a White pawn on b3.
    SetWithPawns("6k1/8/8/8/8/1P6/b7/7K w - -");
    const int reach = std::popcount(BishopAttacksOf(A2) & ~AllPieces());
    EXPECT_EQ(BishopTerm<Black>(true), SideTables[Black][BishopTable][A2] + BishopMobility[reach] - 175);
}

TEST_F(Pieces, FianchettoBesideTheKingOutsideTheEndgame) {
    SetWithPawns("6k1/8/8/8/8/6P1/5PBP/6K1 w - -");
    EXPECT_EQ(BishopTerm<White>(false) - BishopTerm<White>(true), 10);
    SetWithPawns("6k1/8/8/8/8/6P1/5P1P/5BK1 w - -");  // f1 is in the corner set too
    EXPECT_EQ(BishopTerm<White>(false) - BishopTerm<White>(true), 10);
    SetWithPawns("6k1/8/8/8/8/6P1/5PBP/4K3 w - -");  // king not beside g2
    EXPECT_EQ(BishopTerm<White>(false) - BishopTerm<White>(true), 0);
}

TEST_F(Pieces, RookFiles) {
    SetWithPawns("7k/p7/8/8/8/8/P6K/3R4 w - -");  // open d-file
    EXPECT_EQ(RookTerm<White>(), 6 + 24);
    SetWithPawns("7k/p7/3p4/8/8/4P3/P6K/3R4 w - -");  // only a Black pawn on d
    EXPECT_EQ(RookTerm<White>(), 6 + 5);
    SetWithPawns("7k/pp6/8/8/8/8/PP5K/RN6 w - -");  // open files exist, none reachable along rank 1
    EXPECT_EQ(RookTerm<White>(), 0 - 12);
}

TEST_F(Pieces, SeventhRank) {
    SetWithPawns("7k/R7/8/8/8/8/8/K7 w - -");
    EXPECT_EQ(RookTerm<White>(), 0 + 24 + 30);
    SetWithPawns("7k/R1R5/8/8/8/8/8/K7 w - -");
    EXPECT_EQ(RookTerm<White>(), (0 + 24 + 46) + (4 + 24 + 46));
    SetWithPawns("7k/RQ6/8/8/8/8/8/K7 w - -");
    EXPECT_EQ(QueenTerm<White>(), 0 + 10);
    EXPECT_EQ(RookTerm<White>(), 0 + 24 + 46);
    // Neither the enemy king on the back rank nor enemy pawns on the seventh: nothing.
    SetWithPawns("8/R6k/8/8/8/8/8/K7 w - -");
    EXPECT_EQ(RookTerm<White>(), 0 + 24);
}

TEST_F(Pieces, RooksBehindPassedPawns) {
    // Own passer d5: behind it with d6 free +40, in front -20.
    SetWithPawns("7k/8/8/3P4/8/K7/8/3R4 w - -");
    EXPECT_EQ(RookTerm<White>(), 6 + 40);
    SetWithPawns("3R3k/8/8/3P4/8/K7/8/8 w - -");
    EXPECT_EQ(RookTerm<White>(), 6 - 20);
    SetWithPawns("7k/8/3n4/3P4/8/K7/8/3R4 w - -");  // the passer is blocked by an enemy piece
    EXPECT_EQ(RookTerm<White>(), 6);
    // A Black rook and White's passer: below it (behind it as it travels) +40 for Black, above it -20.
    SetWithPawns("7k/8/8/3P4/8/K7/3r4/8 w - -");
    EXPECT_EQ(RookTerm<Black>(), 6 + 40 + 5);
    SetWithPawns("3r3k/8/8/3P4/8/K7/8/8 w - -");
    EXPECT_EQ(RookTerm<Black>(), 6 - 20 + 5);
}

TEST_F(Pieces, KingDangerFromShelterAndCentre) {
    SetWithPawns("3qk3/5ppp/8/8/8/8/5PPP/3Q2K1 w - -");  // castled shape, no rights left
    KingSafety();
    EXPECT_EQ(WhiteKingDanger, 0);
    SetWithPawns("r2qk2r/5ppp/8/8/8/8/5PPP/R2QK2R w KQkq -");  // rights kept, d and e open
    KingSafety();
    EXPECT_EQ(WhiteKingDanger, 3 + 2 + 4);
    EXPECT_EQ(BlackKingDanger, 3 + 2 + 4);
    // A file with only an enemy pawn is not open.
    SetWithPawns("r2qk2r/3p1ppp/8/8/8/8/5PPP/R2QK2R w KQkq -");
    KingSafety();
    EXPECT_EQ(WhiteKingDanger, 3 + 4);
    // Only the king-side right left: half the king-side shelter joins in.
    SetWithPawns("r2qk2r/5ppp/8/8/8/8/6PP/R2QK2R w Kkq -");
    KingSafety();
    EXPECT_EQ(WhiteKingDanger, 3 + 2 + 4 + CurrentPawnEntry->WhiteKingSideShelter / 2);
    // Without the enemy queen the danger is halved.
    SetWithPawns("r3k2r/5ppp/8/8/8/8/5PPP/R2QK2R w KQkq -");
    KingSafety();
    EXPECT_EQ(WhiteKingDanger, 9 / 2);
    EXPECT_EQ(BlackKingDanger, 9);
}

TEST_F(Pieces, KingDangerOfAnUncastledKingOnItsWing) {
    // King g1, no rights, g2 gone and a Black pawn on f3 with Black's queen on the board.
    SetWithPawns("3qk3/5ppp/8/8/8/5p2/5P1P/3Q2K1 w - -");
    KingSafety();
    const int shelter = CurrentPawnEntry->WhiteKingSideShelter;
    EXPECT_EQ(WhiteKingDanger, 0 + shelter + 3);
    // On the d-file: queen-wing shelter and the c, d, e files.
    SetWithPawns("3qk3/5ppp/8/8/8/8/PPP5/2QK4 w - -");
    KingSafety();
    EXPECT_EQ(WhiteKingDanger, 3 + CurrentPawnEntry->WhiteQueenSideShelter + 4 + 2);
}

TEST_F(Pieces, SafetyReadsTheAnalysisCopiesNotTheMirroredStartUpCopy) {
    SetWithPawns("r2qk2r/5ppp/8/8/8/8/5PPP/R2QK2R w KQkq -");
    EXPECT_EQ(KingSafety(), BaseTables[SafetyBase][9] - BaseTables[SafetyBase][9]);
    EXPECT_NE(SideTables[Black][SafetyBase][9], BaseTables[SafetyBase][9]);
    // The opponent of the side to move has its safety weighed by the asymmetry.
    SetOption("SafetyAsymmetry", "50");
    Prepare();  // White to move
    EXPECT_EQ(KingSafety(), BaseTables[SafetyBase][9] * 3 / 2 - BaseTables[SafetyBase][9]);
    // With the scale at 0 the term vanishes, the dangers stay.
    SetOption("SafetyScale", "0");
    Prepare();
    EXPECT_EQ(KingSafety(), 0);
    EXPECT_EQ(WhiteKingDanger, 9);
    EXPECT_EQ(AttackWeight[WhiteKingDanger], 19);
}

TEST_F(Pieces, QueenOnTheFarWingLosesAttackPointsDownToMinusEight) {
    SetWithPawns("6k1/8/8/8/8/8/PPPPP3/Q5K1 w - -");
    QueenTerm<White>();
    EXPECT_EQ(WhiteAttackPoints, -8);
    EXPECT_EQ(KingAttackWhite(), OffensiveBase[0]);
    // Close to the king the queen gathers points: the better of file distance 1 (5) and distance 1 (4).
    SetWithPawns("6k1/5Q2/8/8/8/8/8/6K1 w - -");
    QueenTerm<White>();
    EXPECT_EQ(WhiteAttackPoints, 5);
    EXPECT_EQ(KingAttackWhite(), OffensiveBase[13]);
}

}  // namespace
}  // namespace zarn::testing

// Attack queries, pins and the static exchange.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/board/fen.h"
#include "engine/moves/attacks.h"
#include "engine/moves/material.h"
#include "tests/engine/moves/support.h"

namespace zarn {
namespace {

using testing::SetPosition;
using testing::SquareOf;

TEST(Attacks, CompileTimeLineAndSquareTablesAgreeWithTheStartUpTables) {
    SetPosition(StartPositionText);
    for (int square = 0; square < 64; ++square) {
        EXPECT_EQ(DiagonalLines[square], DiagA1H8Attacks[square][0] | DiagA8H1Attacks[square][0]) << square;
        EXPECT_EQ(StraightLines[square], RankAttacks[square][0] | FileAttacks[square][0]) << square;
        const movegen::SquareBits& bits = movegen::SquareBit[square];
        EXPECT_EQ(bits.plain, SetMask[square]);
        EXPECT_EQ(bits.rot90, SetMaskRot90[square]);
        EXPECT_EQ(bits.a1h8, SetMaskA1H8[square]);
        EXPECT_EQ(bits.a8h1, SetMaskA8H1[square]);
    }
}

TEST(Attacks, SlidersStopAtTheFirstPieceAndTheKingHidesWhatLiesBehindIt) {
    SetPosition("k7/8/8/8/8/8/8/R6K w - -");
    EXPECT_EQ(AttackedByWhite(A8), 1);
    SetPosition("k7/8/8/8/P7/8/8/R6K w - -");
    EXPECT_EQ(AttackedByWhite(A8), 0);
    EXPECT_EQ(AttackedByWhite(A3), 1);

    SetPosition("4r2k/8/8/8/4K3/8/8/8 w - -");
    EXPECT_EQ(AttackedByBlack(E5), 1);
    EXPECT_EQ(AttackedByBlack(E3), 0);
    EXPECT_EQ(InCheck(White), 1);
    EXPECT_EQ(InCheck(Black), 0);
}

TEST(Attacks, AttackerSetsByColour) {
    // d4 is attacked by a white pawn (c3), knight (f3) and queen (d1 up the open file), and by a
    // black bishop (a7 through b6, c5) and rook (d8).
    SetPosition("3r3k/b7/8/8/8/2P2N2/8/3Q3K w - -");
    const int d4 = SquareOf("d4");
    EXPECT_EQ(WhiteAttackersOf(d4), SetMask[C3] | SetMask[F3] | SetMask[D1]);
    EXPECT_EQ(BlackAttackersOf(d4), SetMask[A7] | SetMask[D8]);
    EXPECT_EQ(AttackersOf(d4), WhiteAttackersOf(d4) | BlackAttackersOf(d4));
    // Kings attack their neighbours.
    EXPECT_EQ(WhiteAttackersOf(G2), SetMask[H1]);
}

TEST(Attacks, PinsNeedAnEnemySliderOfTheRightLine) {
    SetPosition("4r2k/8/8/8/4N3/8/8/4K3 w - -");
    EXPECT_EQ(PinnedToWhiteKing(E4), 1);
    SetPosition("4b2k/8/8/8/4N3/8/8/4K3 w - -");
    EXPECT_EQ(PinnedToWhiteKing(E4), 0);
    // Along a diagonal, and not when a second piece stands in the line.
    SetPosition("7k/8/8/8/1b6/8/3N4/4K3 w - -");
    EXPECT_EQ(PinnedToWhiteKing(D2), 1);
    SetPosition("7k/8/8/8/1b6/2P5/3N4/4K3 w - -");
    EXPECT_EQ(PinnedToWhiteKing(D2), 0);
    // Black's twin.
    SetPosition("4k3/8/4n3/8/8/8/4Q3/K7 b - -");
    EXPECT_EQ(PinnedToBlackKing(E6), 1);
}

TEST(StaticExchange, ValuesAnExchangeCheapestAttackerFirst) {
    SetPosition("4k3/8/8/3n4/4P3/8/8/4K3 w - -");
    EXPECT_EQ(StaticExchange(White, E4, D5), 300);

    SetPosition("4k3/8/2p5/3p4/8/8/8/3QK3 w - -");
    EXPECT_EQ(StaticExchange(White, D1, D5), 100 - 900);

    // The second rook joins through the first; the queen's recapture would lose the queen.
    SetPosition("3qk3/8/8/3r4/8/8/3R4/3RK3 w - -");
    EXPECT_EQ(StaticExchange(White, D2, D5), 500);
    // Without the rook behind, the queen wins the rook back.
    SetPosition("3qk3/8/8/3r4/8/8/3R4/4K3 w - -");
    EXPECT_EQ(StaticExchange(White, D2, D5), 0);

    SetPosition("4k3/8/8/8/8/2p5/3n4/4K3 w - -");
    EXPECT_EQ(StaticExchange(White, E1, D2), 300 - 3000);

    // En passant: the target square is empty, so the captured pawn counts nothing.
    SetPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d6");
    EXPECT_EQ(StaticExchange(White, E5, D6), 0);

    // Black's side: the queen behind the bishop retakes after the knight, so the rook is won.
    SetPosition("4k3/8/8/8/8/2q5/1bN5/R3K3 b - -");
    EXPECT_EQ(StaticExchange(Black, B2, A1), 500);
    SetPosition("4k3/8/8/8/8/8/1bN5/R3K3 b - -");
    EXPECT_EQ(StaticExchange(Black, B2, A1), 200);
}

TEST(StaticExchange, XrayAddsOnlyTheSliderBehindTheVacatedSquare) {
    SetPosition("4k3/8/8/8/8/8/8/R1R1K3 w - -");
    // From the target a1 looking east, c1 stands behind b1 (empty); a1 itself is not part of it.
    EXPECT_EQ(AddXrayAttackers(A1, B1, 0), SetMask[C1]);
    EXPECT_EQ(AddXrayAttackers(C1, B1, 0), SetMask[A1]);
    EXPECT_EQ(AddXrayAttackers(D2, B1, SetMask[H8]), SetMask[H8]);

    // Every pair of squares on a crowded board against a walk along the line: the first piece past
    // the square joins when it is a slider of that line.
    SetPosition("r1bqk2r/1p1nbppp/p2p1n2/2pBp1B1/Q3P3/2NP1N2/PPP2PPP/R3K2R w KQkq -");
    for (int target = 0; target < 64; ++target) {
        for (int square = 0; square < 64; ++square) {
            Bitboard expected = 0;
            if (const int step = Direction[target][square]) {
                const bool straight = step == 1 || step == -1 || step == 8 || step == -8;
                for (int s = square + step; s >= 0 && s < 64 && Direction[square][s] == step; s += step) {
                    if (Board[s] == 0) continue;
                    const int kind = std::abs(Board[s]);
                    if (kind == Queen || kind == (straight ? Rook : Bishop)) expected = SetMask[s];
                    break;
                }
            }
            EXPECT_EQ(AddXrayAttackers(target, square, 0), expected) << target << " " << square;
        }
    }
}

}  // namespace
}  // namespace zarn

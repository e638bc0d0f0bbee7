// The start-up tables against their rules: sliding lookups (checked against a plain walk over the
// board for many occupancies), leapers, rays and lines, pawn-structure masks, keys, side copies.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>

#include "engine/board/board.h"
#include "engine/board/keys.h"
#include "engine/board/tables.h"
#include "engine/eval/tables.h"
#include "engine/moves/uint64.h"
#include "engine/search/history.h"

namespace zarn {
namespace {

Bitboard Squares(std::initializer_list<int> squares) {
    Bitboard set = 0;
    for (int s : squares) set |= Bitboard{1} << s;
    return set;
}

// Occupancies in the three rotated orders for a plain set of squares.
struct Rotated {
    Bitboard rot90 = 0, a1h8 = 0, a8h1 = 0;
    explicit Rotated(Bitboard occupied) {
        for (Bitboard b = occupied; b;) {
            const int s = PopFirstBit(b);
            rot90 |= SetMaskRot90[s];
            a1h8 |= SetMaskA1H8[s];
            a8h1 |= SetMaskA8H1[s];
        }
    }
};

Bitboard RankLookup(int s, Bitboard occupied) { return RankAttacks[s][(occupied >> RankShift[s]) & 255]; }
Bitboard FileLookup(int s, Bitboard occupied) {
    return FileAttacks[s][(Rotated(occupied).rot90 >> FileShift[s]) & 255];
}
Bitboard A1H8Lookup(int s, Bitboard occupied) {
    return DiagA1H8Attacks[s][(Rotated(occupied).a1h8 >> DiagA1H8Shift[s]) & 255];
}
Bitboard A8H1Lookup(int s, Bitboard occupied) {
    return DiagA8H1Attacks[s][(Rotated(occupied).a8h1 >> DiagA8H1Shift[s]) & 255];
}

// A slider's reach in one direction, walked square by square on the real board.
Bitboard Walk(int s, int fileStep, int rankStep, Bitboard occupied, int* empties = nullptr) {
    Bitboard reached = 0;
    int file = FileOf(s) + fileStep, rank = RankOf(s) + rankStep;
    while (file >= 0 && file < 8 && rank >= 0 && rank < 8) {
        const int t = MakeSquare(file, rank);
        reached |= Bitboard{1} << t;
        if (occupied & (Bitboard{1} << t)) break;
        if (empties) ++*empties;
        file += fileStep;
        rank += rankStep;
    }
    return reached;
}

class Tables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitialiseEngine(); }
};

TEST_F(Tables, SlidingExamples) {
    EXPECT_EQ(RankLookup(D4, Squares({B4, G4})), Squares({B4, C4, E4, F4, G4}));
    EXPECT_EQ(FileLookup(D4, Squares({D2, D7})), Squares({D2, D3, D5, D6, D7}));
    EXPECT_EQ(A1H8Lookup(D4, Squares({B2, F6})), Squares({B2, C3, E5, F6}));
    EXPECT_EQ(A8H1Lookup(D4, Squares({B6, G1})), Squares({G1, F2, E3, C5, B6}));
}

TEST_F(Tables, WrappedDiagonalBytesKeepToTheirOwnSegment) {
    EXPECT_EQ(A1H8Lookup(H1, 0), 0u);
    EXPECT_EQ(A8H1Lookup(H1, 0), Squares({G2, F3, E4, D5, C6, B7, A8}));
    EXPECT_EQ(A1H8Lookup(A2, 0), Squares({B3, C4, D5, E6, F7, G8}));
    // h1 shares a2's byte; occupying it must not change what a2 sees.
    EXPECT_EQ(A1H8Lookup(A2, Squares({H1})), Squares({B3, C4, D5, E6, F7, G8}));
    EXPECT_EQ(A8H1Lookup(A1, Squares({B8, H2})), 0u);
}

TEST_F(Tables, SlidingLookupsAgreeWithAWalkOnTheBoard) {
    std::mt19937_64 random(2024);
    for (int round = 0; round < 400; ++round) {
        // Sparse and dense occupancies alike.
        Bitboard occupied = random() & random();
        if (round % 2) occupied |= random();
        if (round == 0) occupied = 0;
        for (int s = 0; s < 64; ++s) {
            SCOPED_TRACE(::testing::Message() << "square " << s << " occupancy " << occupied);
            ASSERT_EQ(RankLookup(s, occupied), Walk(s, 1, 0, occupied) | Walk(s, -1, 0, occupied));
            ASSERT_EQ(FileLookup(s, occupied), Walk(s, 0, 1, occupied) | Walk(s, 0, -1, occupied));
            int a1h8Empty = 0, a8h1Empty = 0;
            ASSERT_EQ(A1H8Lookup(s, occupied),
                      Walk(s, 1, 1, occupied, &a1h8Empty) | Walk(s, -1, -1, occupied, &a1h8Empty));
            ASSERT_EQ(A8H1Lookup(s, occupied),
                      Walk(s, 1, -1, occupied, &a8h1Empty) | Walk(s, -1, 1, occupied, &a8h1Empty));
            const Rotated r(occupied);
            ASSERT_EQ(DiagA1H8Mobility[s][(r.a1h8 >> DiagA1H8Shift[s]) & 255], std::uint32_t(a1h8Empty));
            ASSERT_EQ(DiagA8H1Mobility[s][(r.a8h1 >> DiagA8H1Shift[s]) & 255], std::uint32_t(a8h1Empty));
        }
    }
}

TEST_F(Tables, DiagonalMobilityCountsEmptySquaresOnly) {
    EXPECT_EQ(DiagA1H8Mobility[A1][(Rotated(Squares({C3})).a1h8 >> DiagA1H8Shift[A1]) & 255], 1u);
    EXPECT_EQ(DiagA1H8Mobility[D4][(Rotated(Squares({B2, F6})).a1h8 >> DiagA1H8Shift[D4]) & 255], 2u);
    EXPECT_EQ(DiagA1H8Mobility[A1][0], 7u);
    EXPECT_EQ(DiagA8H1Mobility[D4][0], 6u);
}

TEST_F(Tables, LeapersOnEdgeSquares) {
    EXPECT_EQ(KnightAttacks[B1], Squares({A3, C3, D2}));
    EXPECT_EQ(KnightAttacks[H1], Squares({F2, G3}));
    EXPECT_EQ(KnightAttacks[A8], Squares({B6, C7}));
    EXPECT_EQ(KnightAttacks[H5], Squares({G3, F4, F6, G7}));
    EXPECT_EQ(PopCount(KnightAttacks[D4]), 8);
    EXPECT_EQ(KingAttacks[A1], Squares({A2, B1, B2}));
    EXPECT_EQ(KingAttacks[H8], Squares({G8, G7, H7}));
    EXPECT_EQ(KingAttacks[A4], Squares({A3, B3, B4, A5, B5}));
    EXPECT_EQ(WhitePawnAttacks[A2], Squares({B3}));
    EXPECT_EQ(WhitePawnAttacks[H2], Squares({G3}));
    EXPECT_EQ(WhitePawnAttacks[E8], 0u);
    EXPECT_EQ(BlackPawnAttacks[E4], Squares({D3, F3}));
    EXPECT_EQ(BlackPawnAttacks[A7], Squares({B6}));
    EXPECT_EQ(BlackPawnAttacks[D1], 0u);
}

TEST_F(Tables, RaysBetweenEvasionsAndDirections) {
    EXPECT_EQ(Ray[RayNorthEast][A1], Squares({B2, C3, D4, E5, F6, G7, H8}));
    EXPECT_EQ(Ray[RayEast][H1], 0u);
    EXPECT_EQ(Ray[RayWest][E4], Squares({A4, B4, C4, D4}));
    EXPECT_EQ(Ray[RayNorthWest][C1], Squares({B2, A3}));
    EXPECT_EQ(Ray[RaySouthEast][C3], Squares({D2, E1}));
    EXPECT_EQ(Ray[RaySouth][E4], Squares({E3, E2, E1}));

    EXPECT_EQ(Between[A1][H8], Squares({B2, C3, D4, E5, F6, G7}));
    EXPECT_EQ(Between[H8][A1], Between[A1][H8]);
    EXPECT_EQ(Between[E1][H1], Squares({F1, G1}));
    EXPECT_EQ(Between[E1][F1], 0u);
    EXPECT_EQ(Between[A1][B3], 0u);
    EXPECT_EQ(Between[H1][A8], Squares({G2, F3, E4, D5, C6, B7}));

    EXPECT_EQ(EvasionMask[D4][H8], Squares({E5, F6, G7, H8}));
    EXPECT_EQ(EvasionMask[D4][E6], Squares({E6}));
    EXPECT_EQ(EvasionMask[A1][E4], 0u);
    EXPECT_EQ(EvasionMask[D4][D4], 0u);
    EXPECT_EQ(EvasionMask[E1][E8], Squares({E2, E3, E4, E5, E6, E7, E8}));

    EXPECT_EQ(Direction[A1][H8], 9);
    EXPECT_EQ(Direction[H8][A1], -9);
    EXPECT_EQ(Direction[A1][B3], 0);
    EXPECT_EQ(Direction[H1][A8], 7);
    EXPECT_EQ(Direction[B7][H1], -7);
    EXPECT_EQ(Direction[E4][E1], -8);
    EXPECT_EQ(Direction[A4][H4], 1);
    EXPECT_EQ(Direction[C3][C3], 0);
    // h1 to a2 is no line although the square numbers differ by 7.
    EXPECT_EQ(Direction[H1][A2], 0);
    EXPECT_EQ(Between[H1][A3], 0u);
}

TEST_F(Tables, DistancesAndBytes) {
    EXPECT_EQ(Distance[A1][H8], 7);
    EXPECT_EQ(Distance[E1][G2], 2);
    EXPECT_EQ(FileDistance[A1][H2], 7);
    EXPECT_EQ(RankDistance[A1][H2], 1);
    EXPECT_EQ(LowestBitOfByte[12], 2);
    EXPECT_EQ(LowestBitOfByte[128], 7);
    EXPECT_EQ(LowestBitOfByte[0], 0);
    EXPECT_EQ(LowestBitOfByte[255], 0);
}

TEST_F(Tables, BoardMasks) {
    EXPECT_EQ(FileMask[0], 0x0101010101010101u);
    EXPECT_EQ(RankMask[7], 0xFF00000000000000u);
    for (int s = 0; s < 64; ++s) EXPECT_EQ(DarkSquare[s] != 0, (DarkSquares & SetMask[s]) != 0);
    EXPECT_TRUE(DarkSquares & SetMask[A1]);
    EXPECT_TRUE(LightSquares & SetMask[H1]);
    EXPECT_EQ(DarkSquares | LightSquares, ~Bitboard{0});
    EXPECT_EQ(CornerA8, Squares({B7, A8, C8}));
    EXPECT_EQ(CornerH8, Squares({G7, F8, H8}));
}

TEST_F(Tables, PawnStructureMasks) {
    EXPECT_EQ(AdjacentFiles[A4], FileMask[1]);
    EXPECT_EQ(AdjacentFiles[E4], FileMask[3] | FileMask[5]);
    EXPECT_EQ(WhitePassedMask[E6], Squares({D7, E7, F7, D8, E8, F8}));
    EXPECT_EQ(BlackPassedMask[H3], Squares({G2, H2, G1, H1}));
    EXPECT_EQ(WhitePassedMask[E8], 0u);
    EXPECT_EQ(AdjacentFilesAbove[A6], Squares({B7, B8}));
    EXPECT_EQ(AdjacentFilesBelow[D2], Squares({C1, E1}));
    EXPECT_EQ(AdjacentFilesBelow[D1], 0u);
}

// The generator rule, written out independently of the engine.
struct ReferenceGenerator {
    std::uint32_t state = 1;
    Key NextKey() {
        Key key = 0;
        for (int i = 0; i < 16; ++i) {
            state = state * 214013u + 2531011u;
            key |= static_cast<Key>(((state >> 16) & 32767u) & 15u) << (4 * i);
        }
        return key;
    }
};

TEST(ZobristKeys, DrawnFromTheGeneratorSquareBySquare) {
    KeyGeneratorState = 1;
    BuildZobristKeys();
    ReferenceGenerator reference;
    for (int square = 0; square < 64; ++square) {
        for (int index = 0; index < 12; ++index) ASSERT_EQ(ZobristKeys[index][square], reference.NextKey());
        ASSERT_EQ(EpKeys[square], reference.NextKey());
    }
    // The first draws of the rule from state 1 are 41, 18467, 6334: nibbles 9, 3, 14.
    EXPECT_EQ(ZobristKeys[ZobristIndex(White, Pawn)][A1] & 0xFFF, 0xE39u);

    // A second start-up continues the sequence instead of repeating it.
    const Key firstBuild = ZobristKeys[0][0];
    BuildZobristKeys();
    EXPECT_NE(ZobristKeys[0][0], firstBuild);
    EXPECT_EQ(ZobristKeys[0][0], reference.NextKey());
}

TEST(SideTables, BlackCopiesAreRankMirrored) {
    InitialiseEngine();
    for (int table = 0; table < PieceSquareTableCount; ++table)
        for (int s = 0; s < 64; ++s) {
            ASSERT_EQ(SideTables[White][table][s], BaseTables[table][s]);
            ASSERT_EQ(SideTables[Black][table][s], BaseTables[table][s ^ 56]);
        }
    EXPECT_EQ(SideTables[Black][PawnTable][D7], -7);  // White's d2 value seen from Black's side
}

TEST(SideTables, PreparingClearsHistoryAndCastledFlags) {
    History[White][100] = 77;
    History[Black][4095] = -5;
    Sides[White].Castled = 1;
    Sides[Black].Castled = 1;
    PrepareSideTables();
    EXPECT_EQ(History[White][100], 0);
    EXPECT_EQ(History[Black][4095], 0);
    EXPECT_EQ(Sides[White].Castled, 0);
    EXPECT_EQ(Sides[Black].Castled, 0);
}

TEST(HistoryCounters, AgeingShiftsAsUnsigned) {
    ClearHistory();
    History[White][12] = 1000;
    History[Black][12] = -1;
    AgeHistory();
    EXPECT_EQ(History[White][12], 3);
    EXPECT_EQ(History[Black][12], 0x00FFFFFF);
    EXPECT_EQ(History[White][13], 0);
}

}  // namespace
}  // namespace zarn

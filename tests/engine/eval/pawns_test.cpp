// Pawn structure: the cached entry, the per-call passed-pawn extras, the bare-king race, and the
// pawn hash table (hits, replacement, a missing table).
#include <string>
#include <vector>

#include "engine/eval/constants.h"
#include "engine/interface/zarn.h"
#include "engine/search/hash.h"
#include "tests/engine/eval/support.h"

namespace zarn::testing {
namespace {

using Pawns = EvalTest;

// A FEN text of White and Black pawns on the given squares, kings on a1/h8 unless given.
std::string PawnFen(const std::vector<int>& white, const std::vector<int>& black, int whiteKing = A1,
                    int blackKing = H8) {
    char board[64] = {};
    for (int s : white) board[s] = 'P';
    for (int s : black) board[s] = 'p';
    board[whiteKing] = 'K';
    board[blackKing] = 'k';
    return PlacementText([&](int square) { return board[square]; }) + " w - -";
}

TEST_F(Pawns, StartPositionIsBalancedWithFullShelter) {
    Set(StartPositionText);
    EXPECT_EQ(EvaluatePawns(1), 0);
    const PawnHashEntry& e = *CurrentPawnEntry;
    EXPECT_EQ(e.Score, 0);
    EXPECT_EQ(e.OpenFiles, 0);
    EXPECT_EQ(e.WhitePassedFiles | e.BlackPassedFiles, 0);
    EXPECT_EQ(e.WhiteKingSideShelter + e.WhiteQueenSideShelter + e.BlackKingSideShelter + e.BlackQueenSideShelter, 0);
    EXPECT_EQ(e.WhitePawnsOnLight, 4);
    EXPECT_EQ(e.WhitePawnsOnDark, 4);
    EXPECT_EQ(e.BlackPawnsOnLight, 4);
    EXPECT_EQ(e.BlackPawnsOnDark, 4);
}

TEST_F(Pawns, LonePasserOnE4) {
    Set("4k3/8/8/8/4P3/8/8/4K3 w - -");
    EXPECT_EQ(EvaluatePawns(1), 41);  // placement 15, isolated -6, passed 32
    const PawnHashEntry& e = *CurrentPawnEntry;
    EXPECT_EQ(e.Score, 41);
    EXPECT_EQ(e.OpenFiles, 0xEF);
    EXPECT_EQ(e.WhitePassedFiles, 1 << 4);
    EXPECT_EQ(e.BlackPassedFiles, 0);
}

TEST_F(Pawns, DoubledIsolatedPawnsEachPay) {
    Set(PawnFen({C2, C3}, {}));
    // c2: 6 - 6 - 6 - 10 + 8; c3: 9 - 6 - 6 - 10 + 16 - 8 (the front pawn of a doubled passer pays half).
    EXPECT_EQ(EvaluatePawns(1), -8 + -5);
    EXPECT_EQ(CurrentPawnEntry->WhitePassedFiles, 1 << 2);
}

TEST_F(Pawns, BackwardConnectedAndProtectedPassed) {
    // d3 is backward (c5 attacks d4), e4 is a passer protected by d3, c5 is isolated and backward (d3
    // attacks c4).
    Set(PawnFen({D3, E4}, {C5}));
    PawnHashEntry entry;
    const SideParts parts = PawnStructureParts(entry);
    EXPECT_EQ(parts.white, (12 - 10) + (15 + 5 + 32 + 12));
    EXPECT_EQ(parts.black, 12 - 6 - 10);
    EXPECT_EQ(entry.Score, parts.white - parts.black);
    EXPECT_EQ(entry.WhitePassedFiles, 1 << 4);
    EXPECT_EQ(entry.BlackPassedFiles, 0);
}

TEST_F(Pawns, BlockedPasserPaysAtEveryCallNotInTheEntry) {
    Set("k7/4P3/8/8/8/8/8/7K w - -");
    const int free = EvaluatePawns(1);
    const int cached = CurrentPawnEntry->Score;
    Set("k3n3/4P3/8/8/8/8/8/7K w - -");
    EXPECT_EQ(EvaluatePawns(1), free - BlockedPassedPenalty[6]);
    EXPECT_EQ(CurrentPawnEntry->Score, cached);
}

TEST_F(Pawns, KingBesideAndAheadSupportsThePasser) {
    Set("7k/8/3K4/4P3/8/8/8/8 w - -");  // pawn e5 (rank index 4), king d6
    EvaluatePawns(1);
    EXPECT_EQ(PassedPawnExtras().white, KingSupportBonus[4]);
    Set("7k/8/8/3KP3/8/8/8/8 w - -");  // level with the pawn still counts
    EvaluatePawns(1);
    EXPECT_EQ(PassedPawnExtras().white, KingSupportBonus[4]);
    Set("7k/8/8/4P3/3K4/8/8/8 w - -");  // behind it does not
    EvaluatePawns(1);
    EXPECT_EQ(PassedPawnExtras().white, 0);
    // Black: pawn d4 (its rank index 4), king e3 beside and ahead of it.
    Set("K7/8/8/8/3p4/4k3/8/8 w - -");
    EvaluatePawns(1);
    EXPECT_EQ(PassedPawnExtras().black, KingSupportBonus[4]);
    EXPECT_EQ(CurrentPawnEntry->BlackPassedFiles, 1 << 3);
}

TEST_F(Pawns, BareKingRaceAndItsMirror) {
    Set("4k3/8/4K3/8/4P3/8/8/8 w - -");
    EXPECT_EQ(BareKingRace(), 600);
    const int withRace = EvaluatePawns(1);
    EXPECT_EQ(withRace, CurrentPawnEntry->Score + PassedPawnExtras().Net() + 600);

    Set("8/8/8/4p3/8/4k3/8/4K3 w - -");
    EXPECT_EQ(BareKingRace(), -600);
    EXPECT_EQ(EvaluatePawns(1), -withRace);

    // King level with its pawn: no race is claimed.
    Set("4k3/8/8/8/3KP3/8/8/8 w - -");
    EXPECT_EQ(BareKingRace(), 0);
    // The defender has pawns too: no race.
    Set("4k3/p7/4K3/8/4P3/8/8/8 w - -");
    EXPECT_EQ(BareKingRace(), 0);
}

TEST_F(Pawns, ShelterCountsOnlyTheWingOwnersPawns) {
    struct Case {
        std::vector<int> white, black;
        int whiteKingSide;
    };
    const Case cases[] = {
        {{F2, G2, H2}, {F7, G7, H7}, 0},
        {{F2, G3, H2}, {F7, G7, H7}, 2},          // g3: 2
        {{G3, H3}, {F7, G7, H7}, 3 + 2},          // f exposed; g3 2 + h3 1, less 1 for the chain
        {{F3, G3, H2}, {F7, G7, H7}, 2},          // 1 + 2, less 1
        {{F2, H2}, {F7, G7, H7, G3}, 3},          // g exposed; an enemy pawn on g3 is no shelter
        {{A2, B2}, {A7, B7}, 16},                 // nothing on f, g, h
        {{F2, G2, H2}, {}, 9 / 2},                // own pawns, no enemy pawns: semi-open, halved
    };
    for (const Case& c : cases) {
        Set(PawnFen(c.white, c.black, E1, E8));
        EvaluatePawns(1);
        EXPECT_EQ(CurrentPawnEntry->WhiteKingSideShelter, c.whiteKingSide) << PawnFen(c.white, c.black, E1, E8);
    }
    // The queen wing: b3 is the g3 of that side.
    Set(PawnFen({A2, B3, C2}, {A7, B7, C7}, E1, E8));
    EvaluatePawns(1);
    EXPECT_EQ(CurrentPawnEntry->WhiteQueenSideShelter, 2);
    // Black's wing: a White pawn alone on a file is fully exposed, a Black pawn alone is halved.
    Set(PawnFen({F2, H2}, {F7, G6, H7, G3}, E1, E8));
    EvaluatePawns(1);
    EXPECT_EQ(CurrentPawnEntry->BlackKingSideShelter, 3 / 2 + 2);  // g semi, g6: 2
}

TEST_F(Pawns, HashHitReturnsTheEntryAndAForeignKeyIsRecomputed) {
    Set("4k3/pp3ppp/8/3p4/3P4/8/PP3PPP/4K3 w - -");
    const int fresh = EvaluatePawns(1);
    PawnHashEntry* slot = &PawnHashTable[SearchStack[1].PawnKey % PawnHashEntries];
    ASSERT_EQ(CurrentPawnEntry, slot);
    const PawnHashEntry good = *slot;

    // A hit reads the entry as it stands.
    slot->Score = static_cast<std::int16_t>(slot->Score + 7);
    EXPECT_EQ(EvaluatePawns(1), fresh + 7);

    // Another configuration's key in the slot: recomputed and overwritten.
    slot->Key ^= 1;
    slot->Score = 999;
    slot->OpenFiles = 0xFF;
    EXPECT_EQ(EvaluatePawns(1), fresh);
    EXPECT_EQ(slot->Key, good.Key);
    EXPECT_EQ(slot->Score, good.Score);
    EXPECT_EQ(slot->OpenFiles, good.OpenFiles);
}

TEST_F(Pawns, TwoStructuresSharingASlotReplaceEachOther) {
    // Find two pawn configurations whose keys fall in the same slot.
    std::vector<std::pair<std::size_t, std::pair<int, int>>> seen;
    std::pair<int, int> first{-1, -1}, second{-1, -1};
    for (int w = A2; w <= H7 && first.first < 0; ++w) {
        for (int b = A2; b <= H7 && first.first < 0; ++b) {
            if (w == b) continue;
            const Key key = PieceSquareKey(White, Pawn, w) ^ PieceSquareKey(Black, Pawn, b);
            const std::size_t index = key % PawnHashEntries;
            for (const auto& [other, squares] : seen) {
                if (other == index) {
                    first = squares;
                    second = {w, b};
                    break;
                }
            }
            seen.push_back({index, {w, b}});
        }
    }
    ASSERT_GE(first.first, 0) << "no two configurations share a slot";
    const std::string a = PawnFen({first.first}, {first.second});
    const std::string b = PawnFen({second.first}, {second.second});

    Set(a);
    const int scoreA = EvaluatePawns(1);
    const PawnHashEntry* slot = CurrentPawnEntry;
    Set(b);
    const int scoreB = EvaluatePawns(1);
    EXPECT_EQ(CurrentPawnEntry, slot);
    EXPECT_EQ(slot->Key, SearchStack[1].PawnKey);
    Set(a);
    EXPECT_EQ(EvaluatePawns(1), scoreA);
    EXPECT_EQ(slot->Key, SearchStack[1].PawnKey);

    // Both agree with a computation without any table.
    FreePawnHash();
    Set(b);
    EXPECT_EQ(EvaluatePawns(1), scoreB);
    Set(a);
    EXPECT_EQ(EvaluatePawns(1), scoreA);
    ASSERT_TRUE(AllocatePawnHash());
}

TEST_F(Pawns, MissingTableIsNeverProbedAndInitReportsTheFailure) {
    void* (*const original)(std::size_t) = PawnHashAllocate;
    PawnHashAllocate = [](std::size_t) -> void* { return nullptr; };
    EXPECT_FALSE(AllocatePawnHash());
    EXPECT_EQ(PawnHashTable, nullptr);
    ClearPawnHash();  // nothing to clear, and no crash

    Set("4k3/pp3ppp/8/3p4/3P4/8/PP3PPP/4K3 w - -");
    const int without = EvaluatePawns(1);
    EXPECT_EQ(Eval(), Eval());

    EXPECT_LT(ZarnInit(nullptr, "", 0), 0);
    EXPECT_EQ(PawnHashTable, nullptr);

    PawnHashAllocate = original;
    EXPECT_GT(ZarnInit(nullptr, "", 0), 0);
    ASSERT_NE(PawnHashTable, nullptr);
    ZarnQuit();
    EXPECT_EQ(PawnHashTable, nullptr);

    // A failing second start-up leaves nothing of the first one allocated.
    EXPECT_GT(ZarnInit(nullptr, "", 0), 0);
    PawnHashAllocate = [](std::size_t) -> void* { return nullptr; };
    EXPECT_LT(ZarnInit(nullptr, "", 0), 0);
    PawnHashAllocate = original;
    EXPECT_EQ(PawnHashTable, nullptr);
    EXPECT_EQ(WhiteTable, nullptr);
    EXPECT_EQ(BlackTable, nullptr);

    ASSERT_TRUE(AllocatePawnHash());
    Set("4k3/pp3ppp/8/3p4/3P4/8/PP3PPP/4K3 w - -");
    EXPECT_EQ(EvaluatePawns(1), without);
}

}  // namespace
}  // namespace zarn::testing

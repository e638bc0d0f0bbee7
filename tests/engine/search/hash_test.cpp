// Transposition table: sizes, replacement, the store rules, mate adjustment and the packed fields.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/board/board.h"
#include "engine/eval/pawns.h"
#include "engine/interface/zarn.h"
#include "engine/search/hash.h"
#include "engine/search/remainder.h"
#include "engine/search/stack.h"
#include "tests/engine/search/harness.h"

namespace zarn {
namespace {

class HashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AllocateTablesOfSize(1));
        GamePly = 0;
    }
    void TearDown() override { FreeTables(); }

    // Gives a search ply the key of a made-up position.
    static void SetKey(int ply, Key key) {
        SearchStack[ply].PawnKey = 0;
        SearchStack[ply].PieceKey = key;
    }
};

TEST(HashSizeTest, InitAllocatesBothTablesAtTheGrantedSizeAndQuitReleasesThem) {
    EXPECT_EQ(ZarnInit(&testing::RecordingCallbacks, "", 2047), 1024);
    EXPECT_EQ(EntryCount, 5461u * 6);
    EXPECT_EQ(ZarnInit(&testing::RecordingCallbacks, "", 65536), 65536);
    EXPECT_EQ(BucketCount, 64u * 5461);
    ASSERT_NE(WhiteTable, nullptr);
    ASSERT_NE(BlackTable, nullptr);
    ZarnQuit();
    EXPECT_EQ(WhiteTable, nullptr);
    EXPECT_EQ(BlackTable, nullptr);
}

// Tables come from zero pages when new and are cleared when kept: either way every entry reads empty.
TEST(HashSizeTest, EveryEntryIsEmptyAfterInitAtTheSameOrAnotherSize) {
    auto everyEntryEmpty = [] {
        for (std::uint64_t i = 0; i < EntryCount; ++i)
            if (WhiteTable[i].KeyWord || WhiteTable[i].Data || BlackTable[i].KeyWord || BlackTable[i].Data) return false;
        for (std::size_t i = 0; i < PawnHashEntries; ++i)
            if (PawnHashTable[i].Key || PawnHashTable[i].Score) return false;
        return true;
    };
    auto scribble = [] {
        for (std::uint64_t i = 0; i < EntryCount; i += 7) WhiteTable[i] = BlackTable[i] = HashEntry{i + 1, i};
        for (std::size_t i = 0; i < PawnHashEntries; i += 5) PawnHashTable[i].Key = i + 1;
    };
    for (const int kb : {1024, 1024, 2048, 1024}) {
        ASSERT_EQ(ZarnInit(&testing::RecordingCallbacks, "", kb), kb);
        EXPECT_TRUE(everyEntryEmpty()) << kb << " KB";
        scribble();
    }
    ZarnClearHashtable();
    for (std::uint64_t i = 0; i < EntryCount; ++i)
        ASSERT_TRUE(!WhiteTable[i].KeyWord && !WhiteTable[i].Data && !BlackTable[i].KeyWord && !BlackTable[i].Data);
    ZarnQuit();
}

TEST_F(HashTest, ProbeClaimsThenFindsAndStoreKeepsDeeperResults) {
    SetKey(3, 12345);
    HashEntry* entry = ProbeOrClaim(1, 300, 3);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->KeyWord, 12345u);
    EXPECT_EQ(entry->Data, 0u);

    StoreEntry(entry, 777, 300, 3, 55, Exact);
    EXPECT_EQ(ProbeOrClaim(1, 60, 3), entry);
    EXPECT_EQ(EntryDepth(*entry), 300);
    EXPECT_EQ(EntryScore(*entry, 3), 55);
    EXPECT_EQ(EntryMove(*entry), 777u);

    // A shallower result leaves the entry alone, an equal depth replaces it (age included).
    StoreEntry(entry, 888, 240, 3, 10, LowerBound);
    EXPECT_EQ(EntryMove(*entry), 777u);
    GamePly = 7;
    StoreEntry(entry, 888, 300, 3, 10, LowerBound);
    EXPECT_EQ(EntryMove(*entry), 888u);
    EXPECT_EQ(EntryAge(*entry), 7);
    EXPECT_EQ(EntryFlags(*entry), LowerBound);

    // The tables are separate: the same key with Black to move misses.
    HashEntry* black = ProbeOrClaim(0, 300, 3);
    ASSERT_NE(black, nullptr);
    EXPECT_EQ(black->Data, 0u);
}

TEST_F(HashTest, MateScoresCountFromTheStoringNode) {
    SetKey(7, 99);
    HashEntry* entry = ProbeOrClaim(1, 120, 7);
    StoreEntry(entry, 0, 120, 7, 29990, Exact);
    EXPECT_EQ(EntryStoredScore(*entry) - MateScore, 29997);
    EXPECT_EQ(EntryScore(*entry, 3), 29994);
    StoreEntry(entry, 0, 120, 7, -29990, Exact);
    EXPECT_EQ(EntryScore(*entry, 3), -29994);
}

TEST_F(HashTest, FullBucketOfDeeperCurrentEntriesRefusesAndOlderEntryIsReplaced) {
    GamePly = 4;
    for (int i = 0; i < BucketSize; ++i) {
        SetKey(2, 10 + i * BucketCount);  // all in bucket 10
        StoreEntry(ProbeOrClaim(1, 600, 2), 1, 600 + i, 2, 0, Exact);
    }
    SetKey(2, 10 + 6 * BucketCount);
    EXPECT_EQ(ProbeOrClaim(1, 300, 2), nullptr);

    // One entry from an earlier game ply is the replacement candidate, however deep.
    HashEntry* bucket = WhiteTable + 10 * BucketSize;
    bucket[3].Data = PackEntryData(4000, 3, Exact, 30000, 5);
    HashEntry* claimed = ProbeOrClaim(1, 300, 2);
    EXPECT_EQ(claimed, bucket + 3);
    EXPECT_EQ(claimed->Data, 0u);
    EXPECT_EQ(claimed->KeyWord, 10 + 6 * BucketCount);
}

TEST_F(HashTest, ClearedTablesMissEverywhere) {
    SetKey(2, 4242);
    StoreEntry(ProbeOrClaim(1, 120, 2), 3, 120, 2, 1, Exact);
    ClearTables();
    HashEntry* entry = ProbeOrClaim(1, 120, 2);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Data, 0u);
}

// A deeper node of the same search whose key falls in the same bucket takes the entry claimed by a
// shallower node; the shallower node's result must then go to a slot of its own key.
TEST_F(HashTest, StoreIntoEntryTakenOverByAnotherPositionFindsItsOwnSlot) {
    const Key first = 77, second = 77 + BucketCount;
    SetKey(2, first);
    HashEntry* claimed = ProbeOrClaim(1, 300, 2);
    SetKey(4, second);
    HashEntry* deeper = ProbeOrClaim(1, 180, 4);
    ASSERT_EQ(deeper, claimed);  // empty data makes it the first replacement candidate
    StoreEntry(deeper, 111, 180, 4, -20, UpperBound);

    StoreEntry(claimed, 222, 300, 2, 35, Exact);
    EXPECT_EQ(deeper->KeyWord, second);
    EXPECT_EQ(EntryMove(*deeper), 111u);
    EXPECT_EQ(EntryScore(*deeper, 4), -20);

    HashEntry* own = ProbeOrClaim(1, 300, 2);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, deeper);
    EXPECT_EQ(EntryMove(*own), 222u);
    EXPECT_EQ(EntryScore(*own, 2), 35);
}

TEST_F(HashTest, StoreTakenOverEntryWithNoRoomStoresNothing) {
    GamePly = 1;
    const Key key = 5;
    SetKey(2, key);
    HashEntry* claimed = ProbeOrClaim(1, 120, 2);
    // Every slot of the bucket now holds another, deeper position of the current game ply.
    for (int i = 0; i < BucketSize; ++i) {
        HashEntry& slot = WhiteTable[5 * BucketSize + i];
        slot.KeyWord = key + (i + 1) * BucketCount;
        slot.Data = PackEntryData(900, 1, Exact, 30000, 9);
    }
    StoreEntry(claimed, 1, 120, 2, 0, Exact);
    for (int i = 0; i < BucketSize; ++i) EXPECT_EQ(EntryMove(WhiteTable[5 * BucketSize + i]), 9u);
}

// Windows around mate scores reach past -30000; such a score must neither borrow from the move
// field nor wrap into a winning score.
TEST_F(HashTest, ScoresBeyondTheMateRangeAreClampedNotWrapped) {
    SetKey(50, 31);
    HashEntry* entry = ProbeOrClaim(1, 120, 50);
    const Move move = 0x12345;
    StoreEntry(entry, move, 120, 50, -29990, UpperBound);  // -30040 after the adjustment
    EXPECT_EQ(EntryMove(*entry), move);
    EXPECT_EQ(EntryStoredScore(*entry), 0);
    EXPECT_LT(EntryScore(*entry, 50), -29000);
    StoreEntry(entry, move, 120, 50, 40000, LowerBound);
    EXPECT_EQ(EntryMove(*entry), move);
    EXPECT_EQ(EntryStoredScore(*entry), 65535);
}

// The bucket number comes from a multiplication by the divisor's reciprocal: it must equal the plain
// remainder for every table size and for keys at the extremes, not only for typical ones.
TEST(BucketRemainderTest, EqualsThePlainRemainderForEveryTableSize) {
    std::uint64_t state = 0x9e3779b97f4a7c15u;
    auto next = [&state] {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return state;
    };
    std::vector<std::uint64_t> divisors;
    for (std::uint64_t mb = 1; mb <= 1024; ++mb) divisors.push_back(mb * BucketsPerMb);
    for (const std::uint64_t d : {2ull, 3ull, 4096ull, 0xffffffffull, 0x100000001ull, 1ull << 63, ~0ull}) divisors.push_back(d);
    for (const std::uint64_t d : divisors) {
        const Remainder remainder(d);
        const std::uint64_t top = ~std::uint64_t{0};
        for (const std::uint64_t key : {std::uint64_t{0}, std::uint64_t{1}, d - 1, d, d + 1, top, top - d, top / d * d, top / d * d - 1})
            ASSERT_EQ(remainder.Of(key), key % d) << key << " % " << d;
        for (int i = 0; i < 200; ++i) {
            const std::uint64_t key = next();
            ASSERT_EQ(remainder.Of(key), key % d) << key << " % " << d;
        }
    }
    EXPECT_EQ(Remainder(1).Of(12345), 0u);
}

}  // namespace
}  // namespace zarn

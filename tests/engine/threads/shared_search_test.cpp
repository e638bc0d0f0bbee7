// The threaded build's engine (the program's core): transposition tables shared between threads,
// helper threads beside the main searcher, and a search on another thread than the position's.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "engine/board/board.h"
#include "engine/interface/zarn.h"
#include "engine/search/extra_limits.h"
#include "engine/search/hash.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "engine/threads/pool.h"
#include "tests/wait_until.h"

namespace zarn {
namespace {

static_assert(ThreadedBuild, "these tests are for the program's threaded core");

void SetKey(int ply, Key key) {
    SearchStack[ply].PawnKey = 0;
    SearchStack[ply].PieceKey = key;
}

TEST(SharedTables, AnEntryWhoseWordsComeFromTwoStoresIsNoPositionsEntry) {
    ASSERT_TRUE(AllocateTablesOfSize(1));
    GamePly = 0;
    SetKey(3, 777);
    HashEntry* entry = ProbeOrClaim(1, 300, 3);
    ASSERT_NE(entry, nullptr);
    StoreEntry(entry, 4242, 300, 3, 55, Exact);
    HashProbe probe = ProbeOrClaim(1, 300, 3);
    EXPECT_EQ(probe.Entry, entry);
    EXPECT_EQ(EntryMove(probe.Found()), 4242u);
    EXPECT_EQ(EntryScore(probe.Found(), 3), 55);
    // The data of another store under the key word of this one: a miss, and a slot is claimed afresh.
    entry->Data = PackEntryData(600, 0, Exact, 30000 + 99, 1111);
    probe = ProbeOrClaim(1, 300, 3);
    ASSERT_NE(probe.Entry, nullptr);
    EXPECT_EQ(probe.Data, 0u);
    FreeTables();
}

// Two threads store and probe positions of one bucket as fast as they can: every entry a probe finds
// carries the move stored with its own key, never another position's.
TEST(SharedTables, ConcurrentStoresAndProbesNeverMixTwoPositions) {
    ASSERT_TRUE(AllocateTablesOfSize(1));
    std::atomic<int> mixed{0}, hits{0};
    auto hammer = [&](Key first) {
        GamePly = 0;
        for (int round = 0; round < 200000; ++round) {
            // Keys of one bucket; the move stored with a key is made from the key.
            const Key key = first + static_cast<Key>(round % 8) * 2 * BucketCount;
            const Move move = static_cast<Move>(key % 1000003);
            SetKey(2, key);
            const HashProbe probe = ProbeOrClaim(1, 60, 2);
            if (!probe.Entry) continue;
            if (EntryDepth(probe.Found()) != 0) {
                ++hits;
                if (EntryMove(probe.Found()) != move) ++mixed;
            }
            StoreEntry(probe.Entry, move, 60 + round % 7, 2, round % 100, Exact);
        }
    };
    std::thread other(hammer, Key{BucketCount});
    hammer(Key{5} * BucketCount);
    other.join();
    EXPECT_GT(hits.load(), 0);
    EXPECT_EQ(mixed.load(), 0);
    FreeTables();
}

struct Report {
    int reported;
    std::uint32_t own;
};
std::vector<Report> reports;              // read once the search is over
std::atomic<bool> othersReported{false};  // a report counted more nodes than the main searcher's own

extern "C" void RecordNodes(int nodes, int, int) {
    reports.push_back({nodes, NodeCount});
    if (static_cast<std::uint32_t>(nodes) > NodeCount) othersReported.store(true);
}

// Helpers add their nodes to the reports (made on the main searcher's thread) and leave the position
// as it was; the search runs on another thread than the one that set the position. It runs until a
// report has counted a helper's nodes (however late the machine lets the helper start), at most 20 s.
TEST(HelperThreads, ReportsCountEveryThreadAndThePositionStays) {
    const ReportCallbacks callbacks = {24, RecordNodes, nullptr, nullptr, nullptr, nullptr};
    ASSERT_GT(ZarnInit(&callbacks, "", 4096), 0);
    ASSERT_EQ(SetSearchThreads(2), 2);
    char fen[] = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
    ZarnSetPosition(fen);
    ZarnSetInfinite();
    std::vector<std::int32_t> before(Board, Board + 64);
    reports.clear();
    othersReported.store(false);
    std::atomic<bool> done{false};
    std::thread search([&] {
        ZarnAnalyse(0);
        done.store(true);
    });
    const bool helped = testing::WaitUntil([] { return othersReported.load(); });
    // Stopped until it ends: a stop that came before the search began would be lost.
    const bool ended = testing::WaitUntil([&] {
        ZarnStopAnalyse();
        return done.load();
    });
    if (!ended) {
        search.detach();
        FAIL() << "the analysis did not end within 20 s of being stopped";
    }
    search.join();
    EXPECT_TRUE(helped);
    ASSERT_FALSE(reports.empty());
    for (const Report& report : reports) EXPECT_GE(static_cast<std::uint32_t>(report.reported), report.own);
    EXPECT_GT(OtherThreadsNodes(), 0u);
    EXPECT_EQ(std::vector<std::int32_t>(Board, Board + 64), before);
    EXPECT_EQ(SetSearchThreads(1), 1);
    ZarnQuit();
}

}  // namespace
}  // namespace zarn

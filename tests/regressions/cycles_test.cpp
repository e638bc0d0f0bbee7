// Start-up and shut-down a hundred times over, for the engine library's exports and for the plug-in:
// nothing is left behind (LeakSanitizer or valgrind would report it at exit) and resident memory stays
// flat. The resident size is not checked under AddressSanitizer or valgrind, which keep freed blocks
// aside for a while, nor under ThreadSanitizer, whose own memory grows with each load of the plug-in
// (about 3.5 MB a cycle).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "engine/board/board.h"
#include "engine/interface/zarn.h"
#include "tests/regressions/plugin_host.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZARN_RESIDENT_MEMORY_MEANINGFUL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZARN_RESIDENT_MEMORY_MEANINGFUL 0
#endif
#endif
#ifndef ZARN_RESIDENT_MEMORY_MEANINGFUL
#define ZARN_RESIDENT_MEMORY_MEANINGFUL 1
#endif

namespace zarn::regression {
namespace {

constexpr int Cycles = 100;
// Growth allowed between the tenth cycle and the last: far less than one cycle's tables (two hash
// tables of at least 1 MB and the pawn hash), so a leak of any table shows.
constexpr long AllowedGrowthKb = 4 * 1024;

bool UnderValgrind() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "vgpreload") != nullptr;
}

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void ExpectFlat(long afterTenKb, long atEndKb) {
    ::testing::Test::RecordProperty("ResidentAfterTenCyclesKb", std::to_string(afterTenKb));
    ::testing::Test::RecordProperty("ResidentAtEndKb", std::to_string(atEndKb));
    if (!ZARN_RESIDENT_MEMORY_MEANINGFUL || UnderValgrind()) return;
    EXPECT_LE(atEndKb - afterTenKb, AllowedGrowthKb) << "resident memory grew from " << afterTenKb << " KB to "
                                                      << atEndKb << " KB";
}

TEST(Cycles, EngineInitAndQuitAHundredTimes) {
    long afterTen = 0;
    for (int cycle = 0; cycle < Cycles; ++cycle) {
        const int hashKb = 1024 << (cycle % 3);
        ASSERT_EQ(ZarnInit(nullptr, "", hashKb), hashKb);
        // A second start-up without a shut-down releases the first one's tables.
        if (cycle % 10 == 0) {
            ASSERT_EQ(ZarnInit(nullptr, "", hashKb), hashKb);
        }
        ZarnSetStartPosition();
        if (cycle % 10 == 5) {
            char moves[] = "e2e4 e7e5 g1f3";
            ZarnSetGame(moves);
            ZarnSetDepth(3);
            EXPECT_EQ(ZarnAnalyse(0), 0);
        }
        ZarnQuit();
        if (cycle == 9) afterTen = ResidentKb();
    }
    ExpectFlat(afterTen, ResidentKb());
}

TEST(Cycles, PluginStartAndStopAHundredTimes) {
    PluginHost host;
    ASSERT_TRUE(host.Load());
    CountingHost counting;
    long afterTen = 0;
    for (int cycle = 0; cycle < Cycles; ++cycle) {
        ASSERT_EQ(host.Start(1024 << (cycle % 3)), 0);
        if (cycle % 10 == 5) {
            SearchRequest request{};
            request.StartPosition = 1;
            request.WhiteToMove = 1;
            request.LimitMode = LimitDepth;
            request.Depth = 2;
            host.eng9(&request);
        }
        ASSERT_EQ(host.eng2(), 1);
        if (cycle == 9) afterTen = ResidentKb();
    }
    EXPECT_EQ(counting.counts.searchStarted, Cycles / 10);
    EXPECT_EQ(counting.counts.malformed, 0);
    ExpectFlat(afterTen, ResidentKb());
}

}  // namespace
}  // namespace zarn::regression

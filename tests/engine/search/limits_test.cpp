// Limits and time: ShouldStop for every mode on an injected clock, and analyses that end by their limit.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/interface/options.h"
#include "engine/interface/zarn.h"
#include "engine/search/root.h"
#include "engine/search/search.h"
#include "engine/search/timer.h"
#include "tests/engine/search/harness.h"

namespace zarn {
namespace {

// The engine's clock in these tests: it stands where the test puts it and counts its readings. The
// analysis thread reads it while the test thread moves it.
std::atomic<std::int64_t> fakeNow{0};
std::atomic<int> clockReadings{0};
std::int64_t FakeClock() {
    ++clockReadings;
    return fakeNow;
}

class ShouldStopTest : public ::testing::Test {
protected:
    void SetUp() override {
        RestoreOptionDefaults();
        SetClock(&FakeClock);
        fakeNow = 1'000'000;
        Pondering = 0;
        PonderElapsedMs = 0;
        StartClock();
        CurrentRootMoveIndex = 1;
        RootInstability = 0;
        BestMoveChangeDepth = 0;
    }
    void TearDown() override { SetClock(nullptr); }

    // The decision after ms milliseconds of the analysis.
    static int At(int ms, int depth, int ply) {
        fakeNow = SearchStartClock + ms;
        return ShouldStop(depth, ply);
    }
};

TEST_F(ShouldStopTest, TimeControlAtTheRootDependsOnStabilityAndIteration) {
    ZarnSetTime(40, 600);  // 15000 ms a move
    // A new iteration with a stable best move: half the allotment.
    BestMoveChangeDepth = 60;
    EXPECT_EQ(At(7500, 600, 1), 0);
    EXPECT_EQ(At(7501, 600, 1), 1);
    // A best move changed within the last two iterations: 70 percent.
    BestMoveChangeDepth = 480;
    EXPECT_EQ(At(10500, 600, 1), 0);
    EXPECT_EQ(At(10501, 600, 1), 1);
    // The first two iterations always count as unstable.
    BestMoveChangeDepth = 0;
    EXPECT_EQ(At(10000, 120, 1), 0);
    EXPECT_EQ(At(10501, 120, 1), 1);
    // Root moves 2 to 5 never stop; from move 6 the whole allotment, unless the root is unstable.
    CurrentRootMoveIndex = 5;
    EXPECT_EQ(At(50000, 600, 1), 0);
    CurrentRootMoveIndex = 6;
    EXPECT_EQ(At(15000, 600, 1), 0);
    EXPECT_EQ(At(15001, 600, 1), 1);
    RootInstability = 1;
    EXPECT_EQ(At(40000, 600, 1), 0);
}

TEST_F(ShouldStopTest, TimeControlInsideTheTree) {
    ZarnSetTime(40, 600);
    EXPECT_EQ(At(59999, 600, 5), 0);
    EXPECT_EQ(At(60000, 600, 5), 1);  // four allotments
    ZarnSetTime(2, 20);               // 10000 ms a move: the reserve rule comes first
    EXPECT_EQ(At(13999, 600, 5), 0);
    EXPECT_EQ(At(14000, 600, 5), 1);
}

TEST_F(ShouldStopTest, TimeControlWithoutMovesCountsOneMove) {
    ZarnSetTime(0, 10);
    EXPECT_EQ(Limits.LimitMovesToGo, 1);
    EXPECT_EQ(At(4999, 600, 1), 0);  // 50 percent of 10000
    EXPECT_EQ(At(5001, 600, 1), 1);
    EXPECT_EQ(At(8999, 600, 3), 0);  // reserve: 10000 - E - 1000 <= 0
    EXPECT_EQ(At(9000, 600, 3), 1);
}

TEST_F(ShouldStopTest, Blitz) {
    ZarnSetBlitz(300, 5);  // 300000 / 26 + 5000 = 16538 ms a move
    BestMoveChangeDepth = 60;
    EXPECT_EQ(At(8269, 600, 1), 0);
    EXPECT_EQ(At(8270, 600, 1), 1);
    EXPECT_EQ(At(69227, 600, 4), 0);  // six base allotments: 6 * 11538
    EXPECT_EQ(At(69228, 600, 4), 1);
    CurrentRootMoveIndex = 3;
    EXPECT_EQ(At(300000, 600, 1), 0);
    EXPECT_EQ(At(300001, 600, 1), 1);  // past the whole remaining time
    // The speed option divides the remaining time.
    ZarnSetParam("BlitzPlayingSpeed", "30");
    EXPECT_EQ(At(59999, 600, 4), 0);
    EXPECT_EQ(At(60000, 600, 4), 1);
}

TEST_F(ShouldStopTest, FixedDepthAndInfinite) {
    ZarnSetDepth(5);
    EXPECT_EQ(At(0, 300, 1), 0);
    EXPECT_EQ(At(0, 360, 1), 1);
    EXPECT_EQ(At(1'000'000, 300, 1), 0);
    EXPECT_EQ(At(1'000'000, 900, 4), 0);  // depth only counts at the root
    ZarnSetInfinite();
    EXPECT_EQ(Limits.LimitMode, LimitKind::Infinite);
    EXPECT_EQ(Limits.LimitDepth, 5);
    EXPECT_EQ(At(100'000'000, 1860, 1), 0);
    EXPECT_EQ(At(100'000'000, 1860, 7), 0);
    // Times beyond 32 bits in milliseconds are held at the largest value, and no product overflows.
    ZarnSetTime(1, 4'000'000);
    EXPECT_EQ(Limits.LimitTimeMs, INT32_MAX);
    EXPECT_EQ(At(100'000'000, 1860, 1), 0);
    EXPECT_EQ(At(100'000'000, 1860, 7), 0);
}

TEST_F(ShouldStopTest, PonderingNeverStopsAndThePonderHitCreditsItsTime) {
    ZarnSetTime(40, 600);
    BestMoveChangeDepth = 60;
    Pondering = 1;
    EXPECT_EQ(At(1'000'000, 600, 1), 0);
    EXPECT_EQ(At(1'000'000, 600, 5), 0);
    // 5 s of pondering, then the hit: the clock restarts and 5 s count on both sides.
    fakeNow = SearchStartClock + 5000;
    ZarnPonderingOff();
    EXPECT_EQ(Pondering, 0);
    EXPECT_EQ(PonderElapsedMs, 5000);
    EXPECT_EQ(ElapsedMs(), 0);
    EXPECT_EQ(At(5000, 600, 1), 0);  // 100 * (5000 + 5000) > 50 * (5000 + 15000) fails
    EXPECT_EQ(At(5001, 600, 1), 1);
    EXPECT_EQ(At(59999, 600, 5), 0);  // the tree counts the time since the hit only
    EXPECT_EQ(At(60000, 600, 5), 1);
}

class AnalysisLimitTest : public ::testing::Test {
protected:
    void SetUp() override { testing::StartEngine(); }
    void TearDown() override { ZarnQuit(); }
};

TEST_F(AnalysisLimitTest, SingleLegalMoveSearchesFivePlies) {
    // Black's king on h8 has only g8 (the rook on a7 and the king on f6 cover the rest).
    ZarnSetDepth(2);
    testing::SetFen("7k/R7/5K2/8/8/8/8/8 b - -");
    EXPECT_EQ(ZarnAnalyse(0), 0);
    EXPECT_EQ(Limits.LimitMode, LimitKind::FixedDepth);
    EXPECT_EQ(Limits.LimitDepth, 5);
    EXPECT_EQ(testing::DeepestReportedDepth(), 5);
    EXPECT_EQ(testing::FirstMoveOf(testing::LastExactLine().text), "h8g8");
}

TEST_F(AnalysisLimitTest, FixedDepthCompletesExactlyThatManyIterations) {
    const auto line = testing::AnalyseToDepth("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", 6);
    EXPECT_FALSE(line.text.empty());
    EXPECT_EQ(testing::DeepestReportedDepth(), 6);
}

TEST_F(AnalysisLimitTest, InfiniteAnalysisEndsAfterThirtyOnePlies) {
    // Bare kings: every node is a draw, so 31 plies come quickly.
    ZarnSetInfinite();
    testing::SetFen("8/8/8/4k3/8/8/8/4K3 w - -");
    EXPECT_EQ(ZarnAnalyse(0), 0);
    EXPECT_EQ(testing::DeepestReportedDepth(), 31);
}

TEST_F(AnalysisLimitTest, NoLegalMoveReturnsOneWithoutReports) {
    ZarnSetDepth(3);
    testing::SetFen("k7/8/1Q6/8/8/8/8/K7 b - -");  // stalemate
    EXPECT_EQ(ZarnAnalyse(0), 1);
    testing::SetFen("R5k1/5ppp/8/8/8/8/8/6K1 b - -");  // mate
    EXPECT_EQ(ZarnAnalyse(0), 1);
    EXPECT_TRUE(testing::Calls().empty());
}

// Analyses in a thread of their own on the test's clock. The clock's first reading is the start of
// the analysis, after which a stop is no longer forgotten; every wait has a limit.
class ThreadedAnalysisTest : public AnalysisLimitTest {
protected:
    void SetUp() override {
        AnalysisLimitTest::SetUp();
        fakeNow = 0;
        SetClock(&FakeClock);
        testing::SetFen("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -");
    }
    void TearDown() override {
        if (analysis_.joinable()) {
            ZarnStopAnalyse();
            analysis_.join();
        }
        SetClock(nullptr);
        AnalysisLimitTest::TearDown();
    }

    void Start(int ponder) {
        clockReadings = 0;
        analysis_ = std::thread([this, ponder] {
            ZarnAnalyse(ponder);
            done_ = true;
        });
        ASSERT_TRUE(testing::WaitUntil([] { return clockReadings > 0; })) << "the analysis did not start";
    }
    // Waits for the analysis to end; a failure, when it does not, stops and joins it.
    void ExpectEnd(const char* cause) {
        const bool ended = testing::WaitUntil([this] { return done_.load(); });
        EXPECT_TRUE(ended) << cause << " did not end the analysis";
        if (!ended) ZarnStopAnalyse();
        analysis_.join();
    }

    std::thread analysis_;
    std::atomic<bool> done_{false};
};

TEST_F(ThreadedAnalysisTest, StopFromAnotherThreadEndsAnInfiniteAnalysis) {
    ZarnSetInfinite();
    Start(0);
    EXPECT_FALSE(done_);
    ZarnStopAnalyse();
    ExpectEnd("the stop");
}

TEST_F(ThreadedAnalysisTest, PonderingIgnoresTheClockUntilThePonderHit) {
    ZarnSetTime(1, 1);  // one second for the move
    Start(1);
    // An hour passes. Root moves are reported once a second is up, each after the time check before it:
    // the second report shows that a check saw the hour and let the search go on.
    fakeNow = 3'600'000;
    EXPECT_TRUE(testing::WaitUntil([this] { return testing::CurrentMoveReports() >= 2 || done_; }));
    EXPECT_FALSE(done_) << "pondering stopped by the clock";
    EXPECT_GE(testing::CurrentMoveReports(), 2);
    ZarnPonderingOff();  // the clock starts now; the reserve rule of a one-second move ends the search at once
    ExpectEnd("the ponder hit");
}

}  // namespace
}  // namespace zarn

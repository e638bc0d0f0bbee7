// Calls that the host or an interface makes from a second thread while a search runs: the stop and
// the ponder hit of the engine library, and Eng3, Eng4, Eng10 and Eng11 of the plug-in. Every kind of
// search ends once stopped, whenever the stop comes, and leaves the position as it was.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "cli/uci/analysis_stop.h"
#include "engine/board/board.h"
#include "engine/interface/zarn.h"
#include "tests/regressions/plugin_host.h"

namespace zarn::regression {
namespace {

constexpr auto GiveUpAfter = std::chrono::seconds(20);
// Pauses before the ponder hit and before the stop, from "at once" to "well into the search".
constexpr int Delays[] = {0, 1, 7, 40};

enum class Limit { Infinite, Depth, Blitz, TimeControl };
constexpr Limit Limits[] = {Limit::Infinite, Limit::Depth, Limit::Blitz, Limit::TimeControl};

void SetLimit(Limit limit) {
    switch (limit) {
        case Limit::Infinite: ZarnSetInfinite(); break;
        case Limit::Depth: ZarnSetDepth(30); break;
        case Limit::Blitz: ZarnSetBlitz(600, 5); break;
        case Limit::TimeControl: ZarnSetTime(40, 3600); break;
    }
}

// Repeats the stop until the search has ended: a stop that arrives before the search has begun is
// forgotten when it begins. False when the search does not end.
template <typename Stop> bool StopUntilDone(const std::atomic<bool>& done, Stop stop) {
    return cli::RepeatStopUntilEnded(
        stop, [&] { return done.load(); }, [](auto pause) { std::this_thread::sleep_for(pause); }, GiveUpAfter);
}

TEST(EngineCalledFromAnotherThread, StopAndPonderHitEndEveryKindOfAnalysis) {
    ASSERT_GT(ZarnInit(nullptr, "", 4096), 0);
    for (const Limit limit : Limits)
        for (const int ponder : {0, 1})
            for (const int delay : Delays) {
                SCOPED_TRACE(testing::Message() << "limit " << static_cast<int>(limit) << " ponder " << ponder << " delay "
                                                << delay);
                char fen[] = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
                ZarnSetPosition(fen);
                SetLimit(limit);
                std::array<std::int32_t, 64> before;
                std::memcpy(before.data(), Board, sizeof(Board));
                std::atomic<bool> done{false};
                std::thread search([&] {
                    ZarnAnalyse(ponder);
                    done = true;
                });
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                if (ponder) ZarnPonderingOff();
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                const bool ended = StopUntilDone(done, [] { ZarnStopAnalyse(); });
                if (!ended) ZarnStopAnalyse();
                search.join();
                ASSERT_TRUE(ended);
                EXPECT_EQ(std::memcmp(before.data(), Board, sizeof(Board)), 0);
            }
    ZarnQuit();
}

TEST(AdapterCalledFromAnotherThread, Eng10AndEng3EndEverySearchRequest) {
    PluginHost host;
    ASSERT_TRUE(host.Load());
    CountingHost counting;
    ASSERT_EQ(host.Start(4096), 0);
    int requests = 0;
    for (const std::int16_t mode : {LimitDepth, LimitBlitz, LimitTimeControl, std::int16_t{0}})
        for (const std::int16_t ponder : {std::int16_t{0}, std::int16_t{1}})
            for (const int delay : Delays) {
                SCOPED_TRACE(testing::Message() << "mode " << mode << " ponder " << ponder << " delay " << delay);
                SearchRequest request{};
                request.StartPosition = 1;
                request.WhiteToMove = 1;
                request.GameMoveCount = 2;
                request.GameMoves[0] = 4 | 1 << 3 | 4 << 6 | 3 << 9;  // e2e4
                request.GameMoves[1] = 4 | 6 << 3 | 4 << 6 | 4 << 9;  // e7e5
                request.LimitMode = mode;
                request.Depth = 20;
                request.Seconds = 600;
                request.IncrementSeconds = 5;
                request.TimeControlMoves = 40;
                request.Ponder = ponder;
                std::atomic<bool> done{false};
                std::thread search([&] {
                    host.eng9(&request);
                    done = true;
                });
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                host.eng4();
                host.eng10();
                host.eng11();
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                const bool ended = StopUntilDone(done, [&] { host.eng3(); });
                if (!ended) host.eng3();
                search.join();
                ASSERT_TRUE(ended);
                EXPECT_EQ(host.eng4(), 0);
                ++requests;
            }
    EXPECT_EQ(host.eng2(), 1);
    EXPECT_EQ(counting.counts.searchStarted, requests);
    EXPECT_EQ(counting.counts.malformed, 0);
}

}  // namespace
}  // namespace zarn::regression

// A complete search by the real engine through the plug-in: the host sees the start, then depths, node
// counts, current moves and principal variations, and a stop from its other thread ends the search.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>

#include "host/chess32.h"
#include "host/host_position.h"
#include "tests/adapter/staged_plugin.h"

namespace zarn::adapter_test {
namespace {

const std::set<std::string> StartMoves = {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3",
                                          "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4",
                                          "h2h3", "h2h4", "b1a3", "b1c3", "g1f3", "g1h3"};

TEST(AdapterSearch, CompleteSearchReportsToTheHostAndStopsOnRequest) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Real);
    ASSERT_EQ(plugin.Start(16384), 0);
    MessageRecorder recorder;
    SearchRequest request = StartPositionRequest(0);
    request.LimitMode = 0;  // until stopped

    int result = -1;
    std::atomic<bool> finished{false};
    std::thread search([&] {
        result = plugin.eng9(&request);
        finished = true;
    });
    // The current move is reported once a second has passed, the variation once five plies are done;
    // a slow machine may take longer to either.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool sawCurrentMove = false;
    bool sawMainline = false;
    while (!(sawCurrentMove && sawMainline) && !finished && std::chrono::steady_clock::now() < deadline) {
        sawCurrentMove = recorder.WaitFor(host::MessageCurrentMove, std::chrono::milliseconds(25));
        sawMainline = recorder.WaitFor(host::MessageMainline, std::chrono::milliseconds(25));
    }
    EXPECT_FALSE(finished) << "a search without limit ended by itself";
    plugin.eng3();
    search.join();
    ASSERT_TRUE(sawCurrentMove);
    ASSERT_TRUE(sawMainline);
    EXPECT_EQ(result, 0);

    const auto messages = recorder.Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0].code, host::MessageSearchStarted);
    EXPECT_EQ(messages[1].code, host::MessageDepth);
    int lastDepth = 0;
    int depthsSeen = 0;
    int nodesSeen = 0;
    int lastNodes = 0;
    int currentMovesSeen = 0;
    int mainlinesSeen = 0;
    for (std::size_t i = 1; i < messages.size(); ++i) {
        const Message& m = messages[i];
        switch (m.code) {
            case host::MessageDepth:
                EXPECT_GE(m.As<DepthRecord>().Depth, lastDepth);
                lastDepth = m.As<DepthRecord>().Depth;
                ++depthsSeen;
                break;
            case host::MessageNodes:
                EXPECT_GE(lastDepth, 1);  // after the depth it belongs to
                EXPECT_GE(m.As<NodesRecord>().Values[0], lastNodes);
                lastNodes = m.As<NodesRecord>().Values[0];
                ++nodesSeen;
                break;
            case host::MessageCurrentMove: {
                const CurrentMoveRecord& current = m.As<CurrentMoveRecord>();
                EXPECT_GE(lastDepth, 1);
                EXPECT_EQ(current.Count, 20);
                EXPECT_GE(current.Index, 1);
                EXPECT_LE(current.Index, 20);
                EXPECT_TRUE(StartMoves.count(host::HostMoveText(current.Move))) << host::HostMoveText(current.Move);
                ++currentMovesSeen;
                break;
            }
            case host::MessageMainline: {
                const MainlineRecord& pv = m.As<MainlineRecord>();
                EXPECT_GE(lastDepth, 5);
                ASSERT_GE(pv.MoveCount, 1);
                EXPECT_TRUE(StartMoves.count(host::HostMoveText(pv.Moves[0]))) << host::HostMoveText(pv.Moves[0]);
                EXPECT_EQ(pv.ScoreKind, ScoreInUnits);
                EXPECT_LT(pv.ScoreValue, 300);
                EXPECT_GT(pv.ScoreValue, -300);
                EXPECT_EQ(pv.Flags & ~(MainlineFailHigh | MainlineFailLow), MainlineFlags);
                ++mainlinesSeen;
                break;
            }
            default:
                ADD_FAILURE() << "unexpected message " << m.code;
        }
    }
    EXPECT_GE(depthsSeen, 2);
    EXPECT_GT(nodesSeen, 0);
    EXPECT_GT(currentMovesSeen, 0);
    EXPECT_GT(mainlinesSeen, 0);
}

}  // namespace
}  // namespace zarn::adapter_test

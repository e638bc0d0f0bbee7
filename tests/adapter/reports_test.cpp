// The engine's reports as the host receives them: which reach it, in what record, and how a stop from
// another thread cuts them off.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "host/chess32.h"
#include "host/host_position.h"
#include "tests/adapter/staged_plugin.h"

namespace zarn::adapter_test {
namespace {

// What the analysis script sends as its principal variation.
std::string mainlineText;
int mainlineScore = 0;

int ReportOneIteration(const ReportCallbacks* c, int) {
    c->ShowDepth(3, 0);
    c->ShowNodes(100, 0, 0);      // held back: depth 3 is too early for node counts
    c->ShowMove("e2e4", 1, 20);   // held back: too early for the current move
    c->ShowDepth(6, 0);
    c->ShowNodes(5000, 0, 0);
    c->ShowMove("e7e8Q", 3, 20);
    c->ShowMainline(mainlineText.c_str(), mainlineScore);
    return 0;
}

class AdapterReports : public ::testing::Test {
protected:
    void SetUp() override {
        plugin = std::make_unique<StagedPlugin>(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Probe);
        ASSERT_EQ(plugin->Start(1024), 0);
        plugin->ProbeSetAnalyse(ReportOneIteration);
    }

    // Searches with the given variation and returns the mainline record the host received.
    MainlineRecord Mainline(const std::string& text, int score) {
        mainlineText = text;
        mainlineScore = score;
        recorder.Clear();
        SearchRequest request = StartPositionRequest(5);
        plugin->eng9(&request);
        for (const Message& message : recorder.Messages())
            if (message.code == host::MessageMainline) return message.As<MainlineRecord>();
        ADD_FAILURE() << "no principal variation";
        return {};
    }

    MessageRecorder recorder;
    std::unique_ptr<StagedPlugin> plugin;
};

TEST_F(AdapterReports, EarlyIterationsHoldBackNodesAndCurrentMove) {
    const MainlineRecord pv = Mainline("e2e4 e7e5 ", 35);
    const auto messages = recorder.Messages();
    ASSERT_EQ(recorder.Codes(), (std::vector<int>{330, 344, 344, 343, 342, 340}));

    EXPECT_EQ(messages[1].As<DepthRecord>().Depth, 3);
    EXPECT_EQ(messages[2].As<DepthRecord>().Depth, 6);
    EXPECT_EQ(messages[2].word1, 1616);
    EXPECT_EQ(messages[2].word2, 88);
    EXPECT_EQ(messages[3].As<NodesRecord>().Values[0], 5000);
    EXPECT_EQ(messages[3].word1, 161616);

    const CurrentMoveRecord& current = messages[4].As<CurrentMoveRecord>();
    EXPECT_EQ(current.Move.From, 38);  // e7: file 4 * 8 + rank 6
    EXPECT_EQ(current.Move.To, 39);
    EXPECT_EQ(current.Move.Promotion, HostPromoteQueen);
    EXPECT_EQ(current.Index, 3);
    EXPECT_EQ(current.Count, 20);

    EXPECT_EQ(pv.Flags, MainlineFlags);
    ASSERT_EQ(pv.MoveCount, 2);
    EXPECT_EQ(host::HostMoveText(pv.Moves[0]), "e2e4");
    EXPECT_EQ(host::HostMoveText(pv.Moves[1]), "e7e5");
    EXPECT_EQ(pv.ScoreKind, ScoreInUnits);
    EXPECT_EQ(pv.ScoreValue, 35);
    EXPECT_EQ(pv.ElapsedSeconds, 0u);
    EXPECT_EQ(messages[5].word1, 1616);
    EXPECT_EQ(messages[5].word2, 8008);
}

TEST_F(AdapterReports, BoundMarksComeFromTheFirstMoveOnly) {
    EXPECT_EQ(Mainline("d2d4!", 50).Flags, MainlineFlags | MainlineFailHigh);
    EXPECT_EQ(Mainline("d2d4?", -50).Flags, MainlineFlags | MainlineFailLow);
    const MainlineRecord secondMarked = Mainline("d2d4 d7d5? ", 0);
    EXPECT_EQ(secondMarked.Flags, MainlineFlags);
    EXPECT_EQ(secondMarked.MoveCount, 2);
}

TEST_F(AdapterReports, LongVariationIsCutAndLowerCaseLetterIsNoPromotion) {
    std::string forty;
    for (int i = 0; i < 20; ++i) forty += "g1f3 g8f6 ";
    EXPECT_EQ(Mainline(forty, 0).MoveCount, 31);

    const MainlineRecord lower = Mainline("e7e8q a2a1N", 0);
    ASSERT_EQ(lower.MoveCount, 2);
    EXPECT_EQ(lower.Moves[0].Promotion, 0);
    EXPECT_EQ(lower.Moves[1].Promotion, HostPromoteKnight);

    // An unreadable token ends the variation.
    EXPECT_EQ(Mainline("e2e4 xx e7e5", 0).MoveCount, 1);
}

TEST_F(AdapterReports, MateScoresBecomeMovesToMate) {
    const MainlineRecord mateIn1 = Mainline("d1h5", 29999);
    EXPECT_EQ(mateIn1.ScoreKind, ScoreMateInMoves);
    EXPECT_EQ(mateIn1.ScoreValue, 1);
    const MainlineRecord mated = Mainline("d1h5", -29998);
    EXPECT_EQ(mated.ScoreKind, ScoreMateInMoves);
    EXPECT_EQ(mated.ScoreValue, -1);
    const MainlineRecord mateIn3 = Mainline("d1h5", 29995);
    EXPECT_EQ(mateIn3.ScoreValue, 3);
    const MainlineRecord edge = Mainline("d1h5", 29300);
    EXPECT_EQ(edge.ScoreKind, ScoreInUnits);
    EXPECT_EQ(edge.ScoreValue, 29300);
    EXPECT_EQ(Mainline("d1h5", -29300).ScoreKind, ScoreInUnits);
}

TEST_F(AdapterReports, TextsAreCopiedIntoTheRingAndAnOverlongOneIsCut) {
    const std::string longText(10000, 'x');
    plugin->showText("first");
    plugin->showText(longText.c_str());
    plugin->showText("after");
    plugin->showText(nullptr);
    const auto messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].code, host::MessageText);
    EXPECT_EQ(messages[0].text, "first");
    EXPECT_EQ(messages[0].word1, 1616);
    EXPECT_EQ(messages[1].text, std::string(8191, 'x'));
    EXPECT_EQ(messages[2].text, "after");
    EXPECT_EQ(messages[3].text, "");
}

TEST(AdapterReportsWithoutEngine, TextIsDroppedWhenNoRingExists) {
    StagedPlugin plugin(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::None);
    MessageRecorder recorder;
    EXPECT_EQ(plugin.showText("lost"), 0);
    EXPECT_TRUE(recorder.Codes().empty());
}

// An analysis that reports until the engine is told to stop (for 20 s at most), then tries three more
// reports.
std::atomic<bool> stopSeen{false};
StagedPlugin* stopping = nullptr;

int ReportUntilStopped(const ReportCallbacks* c, int) {
    c->ShowDepth(4, 0);
    const ProbeStopFlagFn stopFlag = stopping->ProbeStopFlag();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int nodes = 1; stopFlag() == 0 && std::chrono::steady_clock::now() < giveUp; ++nodes) {
        c->ShowNodes(nodes, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stopSeen = stopFlag() != 0;
    c->ShowDepth(9, 0);
    c->ShowNodes(-1, 0, 0);
    c->ShowMainline("e2e4 ", 10);
    return 0;
}

TEST_F(AdapterReports, StopFromAnotherThreadEndsTheSearchAndSilencesLaterReports) {
    stopping = plugin.get();
    plugin->ProbeSetAnalyse(ReportUntilStopped);
    SearchRequest request = StartPositionRequest(5);
    request.LimitMode = 0;
    int result = -1;
    std::thread search([&] { result = plugin->eng9(&request); });
    ASSERT_TRUE(recorder.WaitFor(host::MessageNodes, std::chrono::seconds(10)));
    EXPECT_EQ(plugin->eng4(), 1);
    plugin->eng3();
    search.join();
    EXPECT_TRUE(stopSeen);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(plugin->eng4(), 0);

    // Every report after the stop repeated it to the engine and left the host's records alone.
    const std::string log = plugin->ProbeLog();
    EXPECT_NE(log.find("Analyse(0) Stop Stop Stop Stop"), std::string::npos) << log;
    EXPECT_EQ(plugin->depth->Depth, 4);
    EXPECT_GT(plugin->nodes->Values[0], 0);
    for (const Message& message : recorder.Messages()) EXPECT_NE(message.code, host::MessageMainline);
    stopping = nullptr;
}

}  // namespace
}  // namespace zarn::adapter_test

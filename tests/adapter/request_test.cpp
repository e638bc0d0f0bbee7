// Search requests: the host's record becomes FEN text, game moves and a limit, in the engine's order.
#include <gtest/gtest.h>

#include "host/chess32.h"
#include "host/host_position.h"
#include "tests/adapter/staged_plugin.h"

namespace zarn::adapter_test {
namespace {

class AdapterRequest : public ::testing::Test {
protected:
    void SetUp() override {
        plugin = std::make_unique<StagedPlugin>(FreshDirectory("engines"), "Zarn.eng", EngineLibrary::Probe);
        ASSERT_EQ(plugin->Start(1024), 0);
        plugin->ProbeClearLog();
    }

    // Runs the request and returns the engine calls it caused.
    std::string Run(SearchRequest& request) {
        plugin->ProbeClearLog();
        result = plugin->eng9(&request);
        return plugin->ProbeLog();
    }

    static SearchRequest FromFen(const char* fen) {
        SearchRequest request{};
        EXPECT_TRUE(host::RequestFromFen(fen, request)) << fen;
        request.LimitMode = LimitDepth;
        request.Depth = 5;
        return request;
    }

    std::unique_ptr<StagedPlugin> plugin;
    int result = -1;
};

TEST_F(AdapterRequest, StartPositionFlagSkipsTheBoardButKeepsTheGame) {
    SearchRequest request = StartPositionRequest(7);
    ASSERT_TRUE(host::AppendGameMoves("e2e4 e7e5 g1f3", request));
    request.Board[0] = 99;  // ignored
    EXPECT_EQ(Run(request), "SetStartPosition SetGame(e2e4 e7e5 g1f3) SetDepth(7) Analyse(0)");
    EXPECT_EQ(result, 0);
}

TEST_F(AdapterRequest, BoardBecomesFenText) {
    SearchRequest request = FromFen("r3k2r/pppq1ppp/2n2n2/3pp3/1b1PP3/2N2N2/PPPQ1PPP/R3K2R b KQkq -");
    EXPECT_EQ(Run(request), "SetPosition(r3k2r/pppq1ppp/2n2n2/3pp3/1b1PP3/2N2N2/PPPQ1PPP/R3K2R b KQkq - 0 0) "
                            "SetDepth(5) Analyse(0)");
    EXPECT_EQ(request.Castling, 15);
}

TEST_F(AdapterRequest, CastlingRightsWithoutKingOrRookAreDroppedAndWrittenBack) {
    SearchRequest request = FromFen("5k2/8/8/8/8/8/8/R3K2R w - -");
    request.Castling = 15;
    EXPECT_EQ(Run(request), "SetPosition(5k2/8/8/8/8/8/8/R3K2R w KQ - 0 0) SetDepth(5) Analyse(0)");
    EXPECT_EQ(request.Castling, 3);

    request = FromFen("r3k1n1/8/8/8/8/8/8/1R2K2R w - -");
    request.Castling = 15;
    EXPECT_EQ(Run(request), "SetPosition(r3k1n1/8/8/8/8/8/8/1R2K2R w Kq - 0 0) SetDepth(5) Analyse(0)");
    EXPECT_EQ(request.Castling, CastleWhiteShort | CastleBlackLong);
}

TEST_F(AdapterRequest, EnPassantSquareStaysOnlyWhenAPawnCanTake) {
    SearchRequest kept = FromFen("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6");
    EXPECT_EQ(Run(kept), "SetPosition(rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 0) SetDepth(5) "
                         "Analyse(0)");
    EXPECT_EQ(kept.EnPassant, 43);

    SearchRequest black = FromFen("rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
    EXPECT_NE(Run(black).find(" b KQkq e3 0 0)"), std::string::npos);
    EXPECT_EQ(black.EnPassant, 20);

    SearchRequest noTaker = FromFen("rnbqkbnr/ppp1pppp/8/3p4/8/8/PPPPPPPP/RNBQKBNR w KQkq d6");
    EXPECT_NE(Run(noTaker).find(" w KQkq - 0 0)"), std::string::npos);
    EXPECT_EQ(noTaker.EnPassant, 0);

    // The pawn on h4 is not beside the pawn on a5: files do not wrap around.
    SearchRequest wrapped = FromFen("4k3/8/8/p7/7P/8/8/4K3 w - a6");
    EXPECT_NE(Run(wrapped).find(" w - - 0 0)"), std::string::npos);
    EXPECT_EQ(wrapped.EnPassant, 0);

    SearchRequest offBoard = FromFen("4k3/8/8/8/8/8/8/4K3 b - -");
    offBoard.EnPassant = 200;
    EXPECT_NE(Run(offBoard).find(" b - - 0 0)"), std::string::npos);
    EXPECT_EQ(offBoard.EnPassant, 0);
}

TEST_F(AdapterRequest, GameMovesCarryCapitalPromotionLetters) {
    SearchRequest request = StartPositionRequest(5);
    const std::uint16_t a7a8 = 0 | 6 << 3 | 0 << 6 | 7 << 9;
    request.GameMoves[0] = static_cast<std::uint16_t>(a7a8 | 7 << 12);
    request.GameMoves[1] = static_cast<std::uint16_t>(a7a8 | 4 << 12);
    request.GameMoves[2] = static_cast<std::uint16_t>(a7a8 | 5 << 12);
    request.GameMoves[3] = static_cast<std::uint16_t>(a7a8 | 6 << 12);
    request.GameMoves[4] = static_cast<std::uint16_t>(a7a8 | 0x8000 | 2 << 12);  // no piece: no letter
    request.GameMoveCount = 5;
    EXPECT_EQ(Run(request), "SetStartPosition SetGame(a7a8N a7a8Q a7a8R a7a8B a7a8) SetDepth(5) Analyse(0)");
}

TEST_F(AdapterRequest, ZeroMoveWordFailsTheRequestBeforeAnyLimitOrSearch) {
    MessageRecorder recorder;
    SearchRequest request = StartPositionRequest(5);
    ASSERT_TRUE(host::AppendGameMoves("e2e4 e7e5", request));
    request.GameMoves[1] = 0;
    EXPECT_EQ(Run(request), "SetStartPosition");
    EXPECT_EQ(result & 0xFF, 0);
    EXPECT_TRUE(recorder.Codes().empty());
    EXPECT_EQ(plugin->eng4(), 0);
}

TEST_F(AdapterRequest, GameMoveCountBeyondTheRecordIsCut) {
    SearchRequest request = StartPositionRequest(5);
    for (std::uint16_t& word : request.GameMoves) word = host::GameMoveWord("g1f3");
    request.GameMoveCount = 30000;
    const std::string log = Run(request);
    std::size_t moves = 0;
    for (std::size_t at = log.find("g1f3"); at != std::string::npos; at = log.find("g1f3", at + 1)) ++moves;
    EXPECT_EQ(moves, static_cast<std::size_t>(MaxGameMoves));
}

TEST_F(AdapterRequest, LimitsByMode) {
    SearchRequest request = StartPositionRequest(0);
    EXPECT_EQ(Run(request), "SetStartPosition SetDepth(5) Analyse(0)");
    request.Depth = 21;
    EXPECT_EQ(Run(request), "SetStartPosition SetDepth(5) Analyse(0)");
    request.Depth = 20;
    EXPECT_EQ(Run(request), "SetStartPosition SetDepth(20) Analyse(0)");

    request.LimitMode = LimitBlitz;
    request.Seconds = 300;
    request.IncrementSeconds = 5;
    EXPECT_EQ(Run(request), "SetStartPosition SetBlitz(300,5) Analyse(0)");
    request.UsedFirst = 7;
    request.UsedSecond = 9;
    EXPECT_EQ(Run(request), "SetStartPosition SetUsed(7,9) SetBlitz(300,5) Analyse(0)");

    request.LimitMode = LimitTimeControl;
    request.UsedFirst = request.UsedSecond = 0;
    request.Seconds = 600;
    request.TimeControlMoves = 40;
    EXPECT_EQ(Run(request), "SetStartPosition SetTime(40,600) Analyse(0)");
    // A time control of no moves reaches the engine as one move.
    request.TimeControlMoves = 0;
    EXPECT_EQ(Run(request), "SetStartPosition SetTime(1,600) Analyse(0)");

    request.LimitMode = 9;
    EXPECT_EQ(Run(request), "SetStartPosition SetInfinite Analyse(0)");
}

// The analysis script below reaches the plug-in through these while the search runs.
StagedPlugin* searching = nullptr;
int searchingFlagSeen = -1;

int CallControlsDuringSearch(const ReportCallbacks*, int) {
    searchingFlagSeen = searching->eng4();
    searching->eng10();
    searching->eng11();
    return 1;
}

TEST_F(AdapterRequest, SearchStartsWithMessage330AndControlsReachTheRunningSearch) {
    MessageRecorder recorder;
    searching = plugin.get();
    plugin->ProbeSetAnalyse(CallControlsDuringSearch);
    SearchRequest request = StartPositionRequest(5);
    request.Ponder = 1;
    EXPECT_EQ(Run(request), "SetStartPosition SetDepth(5) Analyse(1) PonderingOff NextBest");
    EXPECT_EQ(result, 1);  // the analysis result comes back to the host
    EXPECT_EQ(searchingFlagSeen, 1);
    EXPECT_EQ(plugin->eng4(), 0);
    const auto messages = recorder.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, host::MessageSearchStarted);
    EXPECT_EQ(messages[0].word1, 1616);
    EXPECT_EQ(messages[0].word2, 8008);
    // Outside a search the controls do not reach the engine.
    plugin->ProbeClearLog();
    EXPECT_EQ(plugin->eng10(), 0);
    EXPECT_EQ(plugin->eng11(), 0);
    EXPECT_EQ(plugin->ProbeLog(), "");
    searching = nullptr;
}

}  // namespace
}  // namespace zarn::adapter_test

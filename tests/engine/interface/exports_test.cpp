// The exported functions as a caller sees them: start-up, position calls, constants, parameters.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/tables.h"
#include "engine/interface/callbacks.h"
#include "engine/interface/engine_state.h"
#include "engine/interface/options.h"
#include "engine/interface/zarn.h"
#include "engine/search/stack.h"

namespace zarn {
namespace {

void ZARN_CALL NoNodes(int, int, int) {}
void ZARN_CALL NoText(const char*) {}

class Exports : public ::testing::Test {
protected:
    void TearDown() override { ZarnQuit(); }
};

TEST_F(Exports, InitGrantsTheHashSizeInWholeMegabytes) {
    EXPECT_EQ(ZarnInit(nullptr, "", 0), 1024);
    ZarnQuit();
    EXPECT_EQ(ZarnInit(nullptr, "", 1023), 1024);
    ZarnQuit();
    EXPECT_EQ(ZarnInit(nullptr, nullptr, 2047), 1024);
    ZarnQuit();
    EXPECT_EQ(ZarnInit(nullptr, "", 4096), 4096);
    EXPECT_EQ(HashSizeMb, 4);
    ZarnQuit();
    EXPECT_EQ(ZarnInit(nullptr, "", -5000), 1024);
    EXPECT_EQ(HashSizeMb, 1);
}

TEST(HashSize, ShiftAndClamp) {
    EXPECT_EQ(HashSizeFromKilobytes(0) * 1024, 1024);
    EXPECT_EQ(HashSizeFromKilobytes(65536) * 1024, 65536);
    EXPECT_EQ(HashSizeFromKilobytes(2000000) * 1024, 1048576);
    EXPECT_EQ(HashSizeFromKilobytes(1048576), 1024);
    EXPECT_EQ(HashSizeFromKilobytes(1048575), 1023);
    EXPECT_EQ(HashSizeFromKilobytes(-1), 1);
    EXPECT_EQ(HashSizeFromKilobytes(-2147483647 - 1), 1);
    EXPECT_EQ(HashSizeFromKilobytes(2147483647), 1024);
}

TEST_F(Exports, InitCopiesTheCallbackRecord) {
    ReportCallbacks record{24, NoNodes, nullptr, nullptr, nullptr, NoText};
    ZarnInit(&record, "", 0);
    EXPECT_EQ(Callbacks.RecordSize, 24);
    EXPECT_EQ(Callbacks.ShowNodes, &NoNodes);
    EXPECT_EQ(Callbacks.ShowText, &NoText);
    record.ShowNodes = nullptr;  // the engine keeps its own copy
    EXPECT_EQ(Callbacks.ShowNodes, &NoNodes);
    ZarnQuit();
    ZarnInit(nullptr, "", 0);
    EXPECT_EQ(Callbacks.ShowNodes, nullptr);
    EXPECT_EQ(Callbacks.RecordSize, 0);
}

TEST_F(Exports, InitRestoresParametersAndTheStartPosition) {
    ZarnInit(nullptr, "", 0);
    ZarnSetParam("DrawScore", "-40");
    ZarnSetPosition(const_cast<char*>(std::string("8/8/8/8/8/8/8/K6k b - -").data()));
    EXPECT_EQ(Options.DrawScore, -40);
    ZarnQuit();
    ZarnInit(nullptr, "", 0);
    EXPECT_EQ(Options.DrawScore, 15);
    EXPECT_EQ(SideToMove, White);
    EXPECT_EQ(WhitePieces.Material, 3900);
    EXPECT_EQ(BlackPieces.KingSquare, E8);
    EXPECT_EQ(SearchStack[0].MoveEnd, 1);
}

TEST_F(Exports, SecondInitDrawsFreshKeys) {
    ZarnInit(nullptr, "", 0);
    const Key first = ZobristKeys[0][0];
    const Key startKey = SearchStack[1].PieceKey;
    ZarnQuit();
    ZarnInit(nullptr, "", 0);
    EXPECT_NE(ZobristKeys[0][0], first);
    EXPECT_NE(SearchStack[1].PieceKey, startKey);  // the start position is keyed with the new keys
}

TEST_F(Exports, SetPositionSplitsTheCallersText) {
    ZarnInit(nullptr, "", 0);
    char text[] = "4k3/8/8/8/8/8/8/4K2R w K -";
    ZarnSetPosition(text);
    EXPECT_EQ(std::memcmp(text, "4k3\0" "8\0", 6), 0);
    EXPECT_EQ(SideToMove, White);
    EXPECT_EQ(Board[H1], Rook);
    EXPECT_EQ(MoveCount[E1], 0);

    ZarnSetPosition(nullptr);
    EXPECT_EQ(AllPieces(), 0u);
    EXPECT_EQ(SideToMove, Black);
}

TEST_F(Exports, StartPositionCanBeSetAgainAndAgain) {
    ZarnInit(nullptr, "", 0);
    char text[] = "8/8/8/8/8/8/8/K6k b - -";
    ZarnSetPosition(text);
    for (int i = 0; i < 3; ++i) {
        ZarnSetStartPosition();
        EXPECT_EQ(SideToMove, White);
        EXPECT_EQ(std::popcount(AllPieces()), 32);
    }
    EXPECT_STREQ(StartPositionText, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
}

TEST_F(Exports, ConstantsAndParameters) {
    EXPECT_STREQ(ZarnGetVersion(), "Zarn 504");
    EXPECT_NE(ZarnGetAuthor(), nullptr);
    EXPECT_GT(std::strlen(ZarnGetAuthor()), 0u);
    const char* const* list = ZarnGetParamList();
    int count = 0;
    while (list[count]) ++count;
    EXPECT_EQ(count, 6);

    ZarnInit(nullptr, "", 0);
    ZarnSetParam("ThreatExtensions", "99");
    EXPECT_EQ(Options.ThreatExtensions, 60);
    ZarnSetParam(nullptr, nullptr);
    ZarnSetParam("ThreatExtensions", nullptr);
    EXPECT_EQ(Options.ThreatExtensions, 0);
}

TEST_F(Exports, NextBestChangesNothing) {
    ZarnInit(nullptr, "", 0);
    const Key key = SearchStack[1].PieceKey;
    ZarnNextBest();
    EXPECT_EQ(SearchStack[1].PieceKey, key);
    EXPECT_EQ(SideToMove, White);
}

}  // namespace
}  // namespace zarn

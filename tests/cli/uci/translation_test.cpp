// Report translation, the go parameters and their limits, and the FEN checks.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "cli/uci/limits.h"
#include "cli/uci/position.h"
#include "cli/uci/report.h"
#include "engine/board/board.h"
#include "engine/interface/zarn.h"
#include "engine/search/history.h"
#include "engine/search/stack.h"

namespace zarn::cli {
namespace {

TEST(UciReports, NodeCountKeepsRisingPast32Bits) {
    NodeCounter counter;
    EXPECT_EQ(counter.Extend(1000), 1000u);
    EXPECT_EQ(counter.Extend(2147483647), 2147483647u);
    EXPECT_EQ(counter.Extend(-2147483647 - 1), 2147483648u);  // the engine's int turned negative
    EXPECT_EQ(counter.Extend(-1), 4294967295u);
    EXPECT_EQ(counter.Extend(5), 4294967301u);                 // wrapped
    EXPECT_EQ(counter.Extend(5), 4294967301u);                 // the same count again adds nothing
    counter.Reset();
    EXPECT_EQ(counter.Extend(7), 7u);
}

TEST(UciReports, ScoresInCentipawnsOrMovesToMate) {
    struct Case {
        int engine;
        std::string uci;
        std::string readable;
    };
    const std::vector<Case> cases = {
        {0, "cp 0", "+0.00"},           {23, "cp 23", "+0.23"},         {-150, "cp -150", "-1.50"},
        {29998, "mate 1", "mate in 1"}, {29996, "mate 2", "mate in 2"}, {29995, "mate 3", "mate in 3"},
        {-29997, "mate -1", "mated in 1"}, {-29995, "mate -2", "mated in 2"},
        // window bounds next to a mate score lie beyond it and still read as a mate
        {30040, "mate 1", "mate in 1"}, {-30037, "mate -1", "mated in 1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UciScoreText(ScoreFromEngine(c.engine)), c.uci) << c.engine;
        EXPECT_EQ(ReadableScoreText(ScoreFromEngine(c.engine)), c.readable) << c.engine;
    }
}

TEST(UciReports, RootLinesBecomeLowerCaseMoves) {
    RootLine line;
    line.Moves[0] = MakeMoveCode(E2, E4, Pawn);
    line.Moves[1] = MakeMoveCode(A7, A8, Pawn, 0, Queen);
    line.Moves[2] = MakeMoveCode(B2, B1, Pawn, 0, Knight);
    EXPECT_EQ(LineMoves(line), (std::vector<std::string>{"e2e4", "a7a8q", "b2b1n"}));
    EXPECT_TRUE(LineMoves(RootLine{}).empty());
}

GoRequest Parse(std::vector<std::string_view> words) {
    GoRequest request;
    ParseGo(words, request);
    EXPECT_TRUE(request.notes.empty());
    return request;
}

TEST(UciLimits, GoParametersMapToOneEngineLimitAndAProgramDeadline) {
    // Clock without moves to go: blitz in whole seconds, increment too.
    SearchPlan plan = PlanSearch(Parse({"wtime", "65000", "btime", "1000", "winc", "2000", "binc", "0"}), 1);
    EXPECT_EQ(plan.setter, LimitSetter::Blitz);
    EXPECT_EQ(plan.first, 64);  // 65 s less the reserve of one second
    EXPECT_EQ(plan.second, 2);
    EXPECT_EQ(plan.budgetMs, ClockBudgetMs(65000, 2000, 0));
    EXPECT_FALSE(plan.waitsForStop);
    // Black's clock with moves to go: a time control.
    plan = PlanSearch(Parse({"wtime", "65000", "btime", "30000", "movestogo", "10"}), 0);
    EXPECT_EQ(plan.setter, LimitSetter::TimeControl);
    EXPECT_EQ(plan.first, 29);
    EXPECT_EQ(plan.second, 10);
    // Below a second the engine still gets one second; the program's deadline keeps the real time.
    plan = PlanSearch(Parse({"wtime", "300", "btime", "300"}), 1);
    EXPECT_EQ(plan.first, 1);
    EXPECT_LT(plan.budgetMs, 300);
    // Depth; with a clock the deadline stays.
    plan = PlanSearch(Parse({"depth", "7"}), 1);
    EXPECT_EQ(plan.setter, LimitSetter::Depth);
    EXPECT_EQ(plan.first, 7);
    EXPECT_EQ(plan.budgetMs, -1);
    plan = PlanSearch(Parse({"depth", "7", "wtime", "5000"}), 1);
    EXPECT_EQ(plan.setter, LimitSetter::Depth);
    EXPECT_GT(plan.budgetMs, 0);
    // Move time: the engine searches without a limit and the program stops it.
    plan = PlanSearch(Parse({"movetime", "1000"}), 1);
    EXPECT_EQ(plan.setter, LimitSetter::Infinite);
    EXPECT_EQ(plan.budgetMs, MoveTimeBudgetMs(1000));
    EXPECT_FALSE(plan.waitsForStop);
    // Infinite, and a bare go, wait for stop; ponder is carried.
    for (auto words : {std::vector<std::string_view>{"infinite"}, std::vector<std::string_view>{}}) {
        plan = PlanSearch(Parse(words), 1);
        EXPECT_EQ(plan.setter, LimitSetter::Infinite);
        EXPECT_TRUE(plan.waitsForStop);
        EXPECT_EQ(plan.budgetMs, -1);
    }
    EXPECT_TRUE(PlanSearch(Parse({"ponder", "wtime", "1000"}), 1).ponder);
    // Huge clocks stay within what the engine's 32-bit millisecond arithmetic can take.
    plan = PlanSearch(Parse({"wtime", "9000000000000", "winc", "9000000000000"}), 1);
    EXPECT_LE(plan.first, 86400);
    EXPECT_LE(plan.second, 3600);
}

TEST(UciLimits, UnusableGoParametersAreSkippedWithOneNoteEach) {
    struct Case {
        std::vector<std::string_view> words;
        std::size_t notes;
        int depth;
    };
    const Case cases[] = {
        {{"wtime", "1000", "btime", "1000", "winc", "10", "binc", "10", "sd", "5"}, 1, 0},
        {{"depth", "abc"}, 1, 0},
        {{"depth", "-3"}, 1, 0},
        {{"depth", "0", "nodes", "0", "mate", "-1", "movestogo", "0"}, 4, 0},
        {{"depth", "99999999999999999999999"}, 1, 0},
        {{"bogus", "3", "17", "depth", "4"}, 1, 4},
        {{"depth", "movetime", "100"}, 1, 0},
        {{"depth"}, 1, 0},
        {{"searchmoves", "e2e4", "d2d4", "depth", "3"}, 1, 3},
    };
    for (const Case& test : cases) {
        GoRequest request;
        ParseGo(test.words, request);
        EXPECT_EQ(request.notes.size(), test.notes) << test.words[0];
        EXPECT_EQ(request.depth, test.depth) << test.words[0];
    }
    GoRequest request;
    ParseGo(cases[0].words, request);
    EXPECT_EQ(request.time[1], 1000);
    EXPECT_EQ(request.increment[0], 10);
    EXPECT_EQ(request.notes[0], "go: unknown parameter 'sd' skipped");
    ParseGo(cases[6].words, request);
    EXPECT_EQ(request.moveTime, 100);
    // Echoed input is cut short.
    const std::string garbage(1 << 20, 'x');
    ParseGo(std::vector<std::string_view>{garbage}, request);
    ASSERT_EQ(request.notes.size(), 1u);
    EXPECT_LT(request.notes[0].size(), 120u);
    // A clock run below zero counts as empty, without a note.
    request = Parse({"wtime", "-20"});
    EXPECT_EQ(request.time[1], 0);
}

TEST(UciLimits, NodesAndMateEndTheSearchWithoutAStop) {
    SearchPlan plan = PlanSearch(Parse({"nodes", "5000"}), 1);
    EXPECT_EQ(plan.setter, LimitSetter::Infinite);
    EXPECT_FALSE(plan.waitsForStop);
    EXPECT_EQ(plan.nodes, 5000u);
    plan = PlanSearch(Parse({"mate", "2", "wtime", "1000", "btime", "1000"}), 0);
    EXPECT_EQ(plan.setter, LimitSetter::Blitz);
    EXPECT_EQ(plan.mate, 2);
    EXPECT_GT(plan.budgetMs, 0);
    plan = PlanSearch(Parse({"infinite", "nodes", "10"}), 0);
    EXPECT_TRUE(plan.waitsForStop);
}

TEST(UciLimits, TheDeadlineLeavesAReserveOnEveryClock) {
    for (std::int64_t time : {0, 1, 19, 20, 50, 100, 999, 1000, 1500, 10000, 60000, 600000, 7200000}) {
        for (std::int64_t increment : {0, 100, 2000, 30000}) {
            for (int movesToGo : {0, 1, 2, 40}) {
                const std::int64_t budget = ClockBudgetMs(time, increment, movesToGo);
                EXPECT_GE(budget, 1);
                if (time >= 2) {
                    EXPECT_LT(budget, time) << time << " " << increment << " " << movesToGo;
                }
                if (time >= 400) {
                    EXPECT_LE(budget, time - 20) << time << " " << increment << " " << movesToGo;
                }
            }
        }
    }
    EXPECT_LE(ClockBudgetMs(100, 0, 0), 80);
    EXPECT_EQ(MoveTimeBudgetMs(1000), 950);
    EXPECT_EQ(MoveTimeBudgetMs(100), 90);
    EXPECT_EQ(MoveTimeBudgetMs(0), 1);
}

TEST(UciPositionChecks, FenTextsAcceptedAndRefused) {
    FenCheck start = CheckFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(start.error, "");
    EXPECT_EQ(start.fen, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    EXPECT_TRUE(start.notes.empty());
    EXPECT_EQ(CheckFen("4k3/8/8/8/8/8/8/4K3 b").fen, "4k3/8/8/8/8/8/8/4K3 b - -");  // short forms
    EXPECT_EQ(CheckFen("4k3/8/8/8/8/8/8/4K3\tb - -\r\n").fen, "4k3/8/8/8/8/8/8/4K3 b - -");  // any blanks
    // A genuine en-passant square stays.
    EXPECT_EQ(CheckFen("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1").fen, "4k3/8/8/8/3pP3/8/8/4K3 b - e3");

    for (const char* bad : {
             "",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",          // no side
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq -",          // seven ranks
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w - -",  // nine ranks
             "rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - -",     // a short rank
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w - -",    // unknown piece
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR W KQkq -", // side in capitals
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkqX -",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KK -",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e9",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - x 1",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 extra",
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQQBNR w - -",    // no white king
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBKKBNR w - -",    // two white kings
             "P3k3/8/8/8/8/8/8/4K3 w - -",                           // pawn on the last rank
             "4k3/8/8/8/8/N7/PPPPPPPP/QQQQKQQQ w - -",               // seventeen pieces
             "4k3/8/8/8/8/8/8/4K2r b - -",                           // White in check, Black to move
             "4k3/8/8/8/8/3n4/8/4K3 b - -",                          // the same by a knight
             "4k3/8/8/8/8/8/3p4/4K3 b - -",                          // and by a pawn
         }) {
        EXPECT_NE(CheckFen(bad).error, "") << bad;
    }
    // The side to move may be in check; a blocked line gives no check.
    EXPECT_EQ(CheckFen("4k3/8/8/8/8/8/8/4K2r w - -").error, "");
    EXPECT_EQ(CheckFen("4k3/8/8/8/8/8/8/4KN1r b - -").error, "");
    EXPECT_EQ(CheckFen("4k3/8/8/8/8/8/4p3/4K3 b - -").error, "");
}

// The check sets the position up in the engine and puts the engine's own position back, history
// counters included (setting a position up ages them); before any start-up it builds what it needs.
TEST(UciPositionChecks, TheEnginesPositionStaysAsItWas) {
    EXPECT_EQ(CheckFen("4k3/8/8/8/8/8/3p4/4K3 b - -").error, "the side not to move is in check");
    ASSERT_GT(ZarnInit(nullptr, "", 1024), 0);
    char fen[] = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
    ZarnSetPosition(fen);
    char moves[] = "e1g1 a6e2";
    ZarnSetGame(moves);
    for (auto& counters : History) counters[100] = 1 << 20;
    const auto state = [] {
        std::string bytes;
        const auto add = [&](const auto& object) { bytes.append(reinterpret_cast<const char*>(&object), sizeof object); };
        add(Board), add(MoveCount), add(Sides), add(History), add(GamePawnKeys), add(GamePieceKeys);
        add(OccupiedRot90), add(OccupiedA1H8), add(OccupiedA8H1), add(SideToMove), add(GamePly);
        add(SearchStack[0].EpSquareAfter), add(SearchStack[1].PawnKey), add(SearchStack[1].PieceKey);
        return bytes;
    };
    const std::string before = state();
    EXPECT_EQ(CheckFen("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6").error, "");
    EXPECT_NE(CheckFen("4k3/8/8/8/8/8/8/4K2r b - -").error, "");
    EXPECT_NE(CheckFen("8/8/8/8/8/8/8/8 w - -").error, "");
    EXPECT_EQ(state(), before);
    ZarnQuit();
}

}  // namespace
}  // namespace zarn::cli

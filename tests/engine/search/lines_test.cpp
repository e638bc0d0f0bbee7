// The program's own search limits, node budget and mate distance, and the return from a multi-line
// analysis to the ordinary one. (The UCI sessions test the lines themselves.)
#include <gtest/gtest.h>

#include <string>

#include "engine/board/keys.h"
#include "engine/interface/report.h"
#include "engine/interface/zarn.h"
#include "engine/search/extra_limits.h"
#include "engine/search/root_result.h"
#include "engine/search/search.h"
#include "engine/search/table_line.h"
#include "engine/search/timer.h"
#include "tests/engine/search/harness.h"

namespace zarn {
namespace {

constexpr const char* Middlegame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -";

std::string LineText(const RootLine& line) {
    std::string text;
    char move[MoveTextSize];
    for (int i = 0; i < MaxPly && line.Moves[i] != 0; ++i) text += std::string(MoveText(line.Moves[i], move)) + " ";
    return text;
}

class SearchLinesTest : public ::testing::Test {
protected:
    void SetUp() override { testing::StartEngine(); }
    void TearDown() override {
        SetClock(nullptr);
        SetExtraLimits({});
        SetRootLineCount(1);
        SetRootResultListener(nullptr);
        SetRootLinesListener(nullptr);
        SetIterationListener(nullptr);
        ZarnQuit();
    }
};

// Lines continued from the table while the search waits at its root: how many got longer, and how
// many lost a move of their own.
int longerLines = 0;
int changedLines = 0;

void ContinueCopy(const RootLine& line) {
    RootLine full = line;
    ExtendLineFromTable(full);
    int i = 0;
    for (; line.Moves[i] != 0; ++i)
        if (full.Moves[i] != line.Moves[i]) ++changedLines;
    if (full.Moves[i] != 0) ++longerLines;
}
void ContinueResult(int, const RootLine& line) { ContinueCopy(line); }
void ContinueLines(int, int count) {
    for (int k = 0; k < count; ++k) ContinueCopy(ReportedRootLine(k));
}
bool ContinueAtIteration(int) {
    ContinueCopy(BestRootLine());
    return true;
}

TEST_F(SearchLinesTest, NodeBudgetEndsTheSearchWithinTheStatedOvershoot) {
    for (std::uint64_t budget : {1ull, 50ull, 1000ull, 123457ull, 600000ull}) {
        testing::SetFen(Middlegame);
        ZarnSetInfinite();
        SetExtraLimits({budget, 0});
        EXPECT_EQ(ZarnAnalyse(0), 0);
        EXPECT_GE(SearchedNodes(), budget);
        EXPECT_LE(SearchedNodes(), budget + NodeLimitOvershoot) << budget;
    }
}

TEST_F(SearchLinesTest, MateLimitEndsTheSearchOnceTheMateIsFound) {
    // Mate in one on the back rank: without the limit an infinite analysis would go on to 31 plies.
    testing::SetFen("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -");
    ZarnSetInfinite();
    SetExtraLimits({0, 1});
    EXPECT_EQ(ZarnAnalyse(0), 0);
    EXPECT_EQ(BestRootLine().Score, MateScore - 2);
    EXPECT_EQ(LineText(BestRootLine()), "d1d8 ");
    EXPECT_LE(BestRootLine().Depth, 2);
    // A mate in two does not satisfy a limit of one move: the depth limit ends that search.
    testing::Calls().clear();
    testing::SetFen("7k/8/5K2/8/8/8/8/R7 w - -");
    ZarnSetDepth(6);
    EXPECT_EQ(ZarnAnalyse(0), 0);
    EXPECT_EQ(testing::DeepestReportedDepth(), 6);
    EXPECT_EQ(BestRootLine().Score, MateScore - 4);
    // With a limit of two it ends at the first iteration that finds it.
    SetExtraLimits({0, 2});
    ZarnSetInfinite();
    testing::SetFen("7k/8/5K2/8/8/8/8/R7 w - -");
    EXPECT_EQ(ZarnAnalyse(0), 0);
    EXPECT_EQ(BestRootLine().Score, MateScore - 4);
    EXPECT_LE(BestRootLine().Depth, 5);
}

// A clock that stands still: no second ever passes, so no analysis reports its root moves, which it
// does only after the first second (and so at points that depend on the machine's speed).
std::int64_t StandingClock() { return 0; }

TEST_F(SearchLinesTest, LinesContinuedFromTheTableLeaveTheSearchAsItWas) {
    SetClock(&StandingClock);
    const auto run = [](int lines, bool continued) {
        // The same keys as the other run: each start-up otherwise draws new ones.
        KeyGeneratorState = 1;
        testing::StartEngine();
        SetRootLineCount(lines);
        SetRootResultListener(continued ? ContinueResult : nullptr);
        SetRootLinesListener(continued ? ContinueLines : nullptr);
        SetIterationListener(continued ? ContinueAtIteration : nullptr);
        // The second search finds the table of the first and takes many scores from it.
        testing::AnalyseToDepth(Middlegame, 4);
        testing::AnalyseToDepth(Middlegame, 6);
        std::vector<std::string> reports;
        for (const testing::ReportCall& call : testing::Calls())
            reports.push_back(std::to_string(call.kind) + " " + std::to_string(call.first) + " " + call.text);
        return std::make_pair(reports, NodeCount);
    };
    for (int lines : {1, 3}) {
        const auto plain = run(lines, false);
        EXPECT_EQ(run(lines, true), plain) << lines << " lines";
    }
    EXPECT_GT(longerLines, 10);
    EXPECT_EQ(changedLines, 0);
}

TEST_F(SearchLinesTest, OneLineIsTheOrdinaryAnalysis) {
    SetClock(&StandingClock);
    const auto run = [](int lines) {
        testing::StartEngine();
        SetRootLineCount(lines);
        testing::AnalyseToDepth(Middlegame, 7);
        std::vector<std::string> reports;
        for (const testing::ReportCall& call : testing::Calls())
            reports.push_back(std::to_string(call.kind) + " " + std::to_string(call.first) + " " + call.text);
        return std::make_pair(reports, NodeCount);
    };
    // A multi-line analysis in between leaves nothing behind that would change the ordinary one.
    const auto before = run(1);
    run(3);
    EXPECT_EQ(run(1), before);
}

}  // namespace
}  // namespace zarn

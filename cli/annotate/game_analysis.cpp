// Position analysis through the engine library's calls, the result read from the root search.
#include "cli/annotate/game_analysis.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "cli/pgn/game_position.h"
#include "cli/pgn/replay.h"
#include "cli/pgn/san.h"
#include "cli/uci/analysis_stop.h"
#include "engine/interface/zarn.h"
#include "engine/search/root_result.h"

namespace zarn::cli {
namespace {

// The engine's variation is taken this far into the notes.
constexpr std::size_t LongestLine = 12;

// Runs one analysis with the limit; a time limit is kept by stopping the search from this thread.
void RunSearch(const AnalysisLimit& limit) {
    if (limit.depth > 0) {
        ZarnSetDepth(limit.depth);
        ZarnAnalyse(0);
        return;
    }
    ZarnSetInfinite();
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread search([&] {
        ZarnAnalyse(0);
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    });
    {
        std::unique_lock lock(mutex);
        finished.wait_for(lock, std::chrono::milliseconds(limit.moveTimeMs), [&] { return done; });
        StopAnalysisUntilEnded(lock, finished, [&] { return done; }, NoStopLimit);
    }
    search.join();
}

int Clamped(const ReportedScore& score) {
    if (score.mate) return score.value > 0 ? JudgedScoreBound : -JudgedScoreBound;
    return std::clamp(score.value, -JudgedScoreBound, JudgedScoreBound);
}

}  // namespace

PositionVerdict AnalysePosition(const PgnGame& game, const std::vector<Move>& moves, const AnalysisLimit& limit) {
    PositionVerdict verdict;
    SetPositionAfter(game, moves);
    verdict.sideToMove = GameSideToMove();
    if (LegalGameMoves().empty()) {
        verdict.noMove = true;
        verdict.mated = SideToMoveInCheck();
        verdict.score = verdict.mated ? ReportedScore{true, 0} : ReportedScore{false, 0};
        return verdict;
    }
    RunSearch(limit);
    if (BestRootLine().Moves[0] == 0) {
        // Stopped before the first iteration ended: one ply always completes.
        SetPositionAfter(game, moves);
        RunSearch({1, 0});
    }
    const RootLine& best = BestRootLine();
    verdict.score = ScoreFromEngine(best.Score);
    verdict.depth = best.Depth;
    // The search leaves the position as it found it; the variation is replayed from there.
    SetPositionAfter(game, moves);
    for (std::size_t i = 0; i < LongestLine && i < static_cast<std::size_t>(MaxPly) && best.Moves[i] != 0; ++i) {
        const Move move = best.Moves[i];
        const std::vector<Move> legal = LegalGameMoves();
        if (std::find(legal.begin(), legal.end(), move) == legal.end()) break;
        verdict.sans.push_back(WriteSan(move));
        verdict.line.push_back(move);
        if (!PlayGameMove(move)) break;
    }
    return verdict;
}

int ExpectedLoss(const PositionVerdict& before, const PositionVerdict& after, Move played) {
    if (before.noMove || before.line.empty() || before.line.front() == played) return 0;
    const int expected = Clamped(before.score);
    const int reached = after.noMove ? (after.mated ? JudgedScoreBound : 0) : -Clamped(after.score);
    return std::max(0, expected - reached);
}

int NagForLoss(int loss) {
    if (loss >= BlunderLoss) return 4;
    if (loss >= MistakeLoss) return 2;
    if (loss >= DubiousLoss) return 6;
    return 0;
}

int JudgementNag(const std::vector<int>& nags) {
    for (int nag : nags)
        if (nag >= 1 && nag <= 6) return nag;
    return 0;
}

std::string EvalText(const PositionVerdict& verdict) {
    if (verdict.mated) return "";
    const int sign = verdict.sideToMove == White ? 1 : -1;
    const int value = sign * verdict.score.value;
    if (verdict.score.mate) return std::string("#").append(std::to_string(value));
    char text[32];
    std::snprintf(text, sizeof text, "%s%d.%02d", value < 0 ? "-" : "", std::abs(value) / 100, std::abs(value) % 100);
    return text;
}

double WhitePawns(const PositionVerdict& verdict) {
    const int sign = verdict.sideToMove == White ? 1 : -1;
    if (verdict.mated) return -sign * 100.0;
    if (verdict.score.mate) return sign * (verdict.score.value > 0 ? 100.0 : -100.0);
    return sign * verdict.score.value / 100.0;
}

}  // namespace zarn::cli

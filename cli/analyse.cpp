// zarn analyse: searches one position and prints the progress in readable lines, the final result and
// the best move. Scores are the side to move's. An infinite analysis ends on a line or the end of
// standard input; SIGINT and SIGTERM end any analysis with the best move found so far, and a proven
// mate any other.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/command.h"
#include "cli/fen_argument.h"
#include "cli/text/number.h"
#include "cli/text/words.h"
#include "cli/uci/analysis_stop.h"
#include "cli/uci/engine.h"
#include "cli/uci/limits.h"
#include "cli/uci/position.h"
#include "cli/uci/report.h"
#include "engine/interface/report.h"
#include "engine/interface/zarn.h"
#include "engine/search/extra_limits.h"
#include "engine/search/root_result.h"
#include "engine/search/search.h"
#include "engine/threads/pool.h"
#include "platform/platform.h"

namespace zarn::cli {
namespace {

constexpr std::int64_t DefaultAnalysisMs = 3000;
constexpr int AnalyseHashMb = 64;
// The deepest iteration of the search, and a day of thinking.
constexpr std::int64_t MaxDepth = 31;
constexpr std::int64_t MaxMoveTimeMs = 24 * 3600 * 1000;
// How often the waiting thread looks for a stop, and how long a stopped search may take to end.
constexpr auto WatchInterval = std::chrono::milliseconds(10);
constexpr auto StopLimit = std::chrono::seconds(10);
constexpr std::string_view Usage =
    "[--fen FEN] [--moves \"e2e4 e7e5\"] [--depth N | --movetime MS | --infinite] [--multipv N] [--threads N]";

struct AnalyseArguments {
    PositionRecord position;
    int depth = 0;
    std::int64_t moveTimeMs = -1;
    bool infinite = false;
    int lines = 1;  // --multipv
    int threads = 1;  // --threads
};

// Raised by SIGINT and SIGTERM, and by the end of standard input in an infinite analysis; the
// waiting thread turns it into the engine's stop. A lock-free atomic store is all a handler may do.
std::atomic<int> stopRequested{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void RequestStop(int) { stopRequested.store(1, std::memory_order_relaxed); }

// SIGINT and SIGTERM request the stop while the command runs, from before the engine starts.
struct StopSignals {
    StopSignals() {
        stopRequested.store(0, std::memory_order_relaxed);
        std::signal(SIGINT, RequestStop);
        std::signal(SIGTERM, RequestStop);
    }
    ~StopSignals() {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
};

std::string MoveListText(const std::vector<std::string>& moves) {
    std::string text;
    for (const std::string& move : moves) text += (text.empty() ? "" : " ") + move;
    return text;
}

// Prints the search's results from depth 1 on, each only when it changes what the last line showed
// (the score, the move or the line: a deeper search that confirms them adds nothing), the lines
// continued from the table. A proven mate may end the analysis.
class ProgressPrinter final : public ReportListener {
public:
    ProgressPrinter(std::int64_t startMs, bool stopAtProvenMate)
        : startMs_(startMs), stopAtProvenMate_(stopAtProvenMate) {}

    void OnDepth(int) override {}
    void OnNodes(int nodes) override { nodes_.Extend(nodes); }
    void OnCurrentMove(const char*, int, int) override {}

    void OnResult(int kind, const RootLine& line) override {
        nodes_.Extend(EngineNodes());
        const std::string scoreText = ReadableScoreText(ScoreFromEngine(line.Score));
        if (kind != ReportExact) {
            PrintIfNew(line.Depth, (kind == ReportFailHigh ? ">=" : "<=") + scoreText, LineMoves(line));
            return;
        }
        best_ = line;
        shown_ = FullLine(line);
        proven_ = MateProven(line);
        PrintIfNew(line.Depth, scoreText, LineMoves(shown_));
    }

    // A multi-line analysis: every line of the iteration, best first, when any of them changed.
    void OnLines(int depth, int count) override {
        nodes_.Extend(EngineNodes());
        std::vector<Shown> lines;
        proven_ = true;
        for (int k = 0; k < count; ++k) {
            const RootLine& line = ReportedRootLine(k);
            const RootLine full = FullLine(line);
            lines.push_back({depth, ReadableScoreText(ScoreFromEngine(line.Score)), LineMoves(full)});
            proven_ = proven_ && MateProven(line);
            if (k == 0) {
                best_ = line;
                shown_ = full;
            }
        }
        const auto same = [](const Shown& a, const Shown& b) { return a.score == b.score && a.moves == b.moves; };
        if (std::ranges::equal(lines, lastLines_, same)) return;
        const std::int64_t elapsed = Elapsed();
        const std::uint64_t nodes = nodes_.Current();
        for (int k = 0; k < count; ++k)
            std::printf("depth %2d  line %2d  score %-12s  nodes %12llu  nps %9llu  time %7.2f s  pv %s\n", depth, k + 1,
                        lines[k].score.c_str(), static_cast<unsigned long long>(nodes),
                        static_cast<unsigned long long>(NodesPerSecond(nodes, elapsed)),
                        static_cast<double>(elapsed) / 1000.0, MoveListText(lines[k].moves).c_str());
        std::fflush(stdout);
        last_ = lines[0];
        lastLines_ = std::move(lines);
    }

    // Without --infinite a proven mate is the final answer.
    bool OnIteration(int) override { return !(stopAtProvenMate_ && proven_); }

    // Prints the search's final result at the depth it reached, unless the last line showed it, and
    // returns its moves.
    std::vector<std::string> PrintFinal(const RootLine& final) {
        nodes_.Extend(EngineNodes());
        const std::vector<std::string> moves = LineMoves(SameResult(final, best_) ? shown_ : FullLine(final));
        const std::string scoreText = ReadableScoreText(ScoreFromEngine(final.Score));
        if (final.Depth != last_.depth || scoreText != last_.score || moves != last_.moves)
            Print(final.Depth, scoreText, moves);
        return moves;
    }

private:
    // Every searching thread's nodes, as the engine's own reports give them.
    static int EngineNodes() { return static_cast<int>(static_cast<std::uint32_t>(SearchedNodes())); }

    struct Shown {
        int depth = 0;
        std::string score;
        std::vector<std::string> moves;
    };

    std::int64_t Elapsed() const { return std::max<std::int64_t>(0, platform::ElapsedMilliseconds() - startMs_); }

    void PrintIfNew(int depth, const std::string& scoreText, const std::vector<std::string>& moves) {
        if (scoreText != last_.score || moves != last_.moves) Print(depth, scoreText, moves);
    }

    void Print(int depth, const std::string& scoreText, const std::vector<std::string>& moves) {
        const std::int64_t elapsed = Elapsed();
        const std::uint64_t nodes = nodes_.Current();
        std::printf("depth %2d  score %-12s  nodes %12llu  nps %9llu  time %7.2f s  pv %s\n", depth, scoreText.c_str(),
                    static_cast<unsigned long long>(nodes),
                    static_cast<unsigned long long>(NodesPerSecond(nodes, elapsed)),
                    static_cast<double>(elapsed) / 1000.0, MoveListText(moves).c_str());
        std::fflush(stdout);
        last_ = {depth, scoreText, moves};
    }

    std::int64_t startMs_;
    bool stopAtProvenMate_;
    NodeCounter nodes_;
    RootLine best_;   // the last exact result as the search recorded it
    RootLine shown_;  // and as printed
    bool proven_ = false;
    Shown last_;
    std::vector<Shown> lastLines_;
};

std::string RangeError(std::string_view option, std::int64_t maximum, const char* text) {
    return std::string(option) + " needs a number from 1 to " + std::to_string(maximum) + ", not '" +
           std::string(text).substr(0, 40) + "'";
}

// The error text for a mistake that has been reported already.
constexpr std::string_view ReportedAlready = "-";

// Returns an error text, or "" when the arguments are usable.
std::string ReadArguments(std::span<char* const> args, AnalyseArguments& arguments) {
    int limits = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view option = args[i];
        const bool takesValue = option == "--fen" || option == "--moves" || option == "--depth" || option == "--movetime" ||
                                option == "--multipv" || option == "--threads";
        if (takesValue && i + 1 >= args.size()) return std::string(option) + " needs a value";
        if (option == "--fen") {
            arguments.position.fen = ReadFenArgument("analyse", args.subspan(++i, 1));
            if (arguments.position.fen.empty()) return std::string(ReportedAlready);
            arguments.position.startPosition = false;
        } else if (option == "--moves") {
            for (const std::string_view word : SplitWords(args[++i])) {
                const std::string move(word);
                if (!IsMoveText(move)) return "bad move text '" + move + "'";
                arguments.position.moves.push_back(move);
            }
        } else if (option == "--depth") {
            std::int64_t depth = 0;
            if (!ReadNumber(args[++i], 1, MaxDepth, depth)) return RangeError(option, MaxDepth, args[i]);
            arguments.depth = static_cast<int>(depth);
            ++limits;
        } else if (option == "--movetime") {
            if (!ReadNumber(args[++i], 1, MaxMoveTimeMs, arguments.moveTimeMs))
                return RangeError(option, MaxMoveTimeMs, args[i]);
            ++limits;
        } else if (option == "--multipv") {
            std::int64_t lines = 0;
            if (!ReadNumber(args[++i], 1, MaxRootLines, lines)) return RangeError(option, MaxRootLines, args[i]);
            arguments.lines = static_cast<int>(lines);
        } else if (option == "--threads") {
            std::int64_t threads = 0;
            if (!ReadNumber(args[++i], 1, MaxSearchThreads, threads)) return RangeError(option, MaxSearchThreads, args[i]);
            arguments.threads = static_cast<int>(threads);
        } else if (option == "--infinite") {
            arguments.infinite = true;
            ++limits;
        } else {
            return "unknown argument '" + std::string(option) + "'";
        }
    }
    if (limits > 1) return "give at most one of --depth, --movetime and --infinite";
    if (limits == 0) arguments.moveTimeMs = DefaultAnalysisMs;
    return "";
}

// Runs the analysis in a thread of its own and stops it at its time limit or on request; returns the
// engine's result. Every wait has a limit: a search that does not end after its stop ends the program.
int SearchUntilStopped(const AnalyseArguments& arguments) {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int result = 0;
    std::thread search([&] {
        const int outcome = ZarnAnalyse(0);
        std::lock_guard lock(mutex);
        result = outcome;
        done = true;
        finished.notify_all();
    });
    if (arguments.infinite) {
        // A line or the end of input ends the analysis; the reader may stay blocked when the search
        // ends first, which the program's exit ends.
        std::thread([] {
            std::string line;
            std::getline(std::cin, line);
            RequestStop(0);
        }).detach();
    }
    std::unique_lock lock(mutex);
    const auto started = std::chrono::steady_clock::now();
    const auto deadline = arguments.moveTimeMs > 0 ? started + std::chrono::milliseconds(arguments.moveTimeMs)
                                                   : std::chrono::steady_clock::time_point::max();
    while (!done) {
        finished.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + WatchInterval),
                            [&] { return done; });
        if (std::chrono::steady_clock::now() >= deadline || stopRequested.load(std::memory_order_relaxed) != 0) break;
    }
    if (!StopAnalysisUntilEnded(lock, finished, [&] { return done; }, StopLimit)) {
        std::fprintf(stderr, "zarn analyse: the search did not end after it was stopped\n");
        std::_Exit(1);
    }
    lock.unlock();
    search.join();
    return result;
}

int RunAnalyse(std::span<char* const> args) {
    const StopSignals signals;
    AnalyseArguments arguments;
    if (std::string error = ReadArguments(args, arguments); !error.empty()) {
        if (error != ReportedAlready)
            std::fprintf(stderr, "zarn analyse: %s (usage: zarn analyse %.*s)\n", error.c_str(),
                         static_cast<int>(Usage.size()), Usage.data());
        return 2;
    }
    if (StartEngine(AnalyseHashMb) < 0) {
        std::fprintf(stderr, "zarn analyse: the engine could not allocate its tables\n");
        return 1;
    }
    if (std::string error = ApplyPosition(arguments.position); !error.empty()) {
        std::fprintf(stderr, "zarn analyse: %s\n", error.c_str());
        StopEngine();
        return 2;
    }
    if (const int threads = SetSearchThreads(arguments.threads); threads != arguments.threads)
        std::fprintf(stderr, "zarn analyse: searching on %d threads; the system gave no more\n", threads);
    std::printf("Analysing %s", arguments.position.startPosition ? "the start position" : arguments.position.fen.c_str());
    if (!arguments.position.moves.empty()) std::printf(" after %zu moves", arguments.position.moves.size());
    if (arguments.depth > 0) std::printf(" to depth %d", arguments.depth);
    else if (arguments.infinite) std::printf(" until a line or the end of input, Ctrl-C or SIGTERM");
    else std::printf(" for %.1f s", static_cast<double>(arguments.moveTimeMs) / 1000.0);
    std::printf("\nScores from the side to move's point of view (%s)\n", EngineSideToMove() == 1 ? "White" : "Black");
    std::fflush(stdout);

    if (arguments.depth > 0)
        ZarnSetDepth(arguments.depth);
    else
        ZarnSetInfinite();

    SetRootLineCount(arguments.lines);
    ProgressPrinter printer(platform::ElapsedMilliseconds(), !arguments.infinite);
    SetReportListener(&printer);
    const int result = SearchUntilStopped(arguments);
    SetReportListener(nullptr);

    if (result == 1) {
        std::printf("No legal move: the side to move is %s.\n", "checkmated or stalemated");
    } else {
        const std::vector<std::string> moves =
            BestRootLine().Moves[0] != 0 ? printer.PrintFinal(BestRootLine()) : std::vector<std::string>{};
        const std::string best = !moves.empty() ? moves.front() : FallbackMove();
        std::printf("best move %s", best.c_str());
        if (moves.size() > 1) std::printf(" (expected reply %s)", moves[1].c_str());
        std::printf("\n");
    }
    std::fflush(stdout);
    SetSearchThreads(1);
    StopEngine();
    return 0;
}

const CommandRegistration registration({"analyse", Usage, "analyse a position and print the best move", RunAnalyse});

}  // namespace
}  // namespace zarn::cli

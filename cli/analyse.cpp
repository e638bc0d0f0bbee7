// zarn analyse: searches one position and prints the progress in readable lines and the best move.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "cli/command.h"
#include "cli/uci_engine.h"
#include "cli/uci_limits.h"
#include "cli/uci_position.h"
#include "cli/uci_report.h"
#include "engine/interface/zarn.h"
#include "engine/search/root_result.h"
#include "engine/search/search.h"
#include "platform/platform.h"

namespace zarn::cli {
namespace {

constexpr std::int64_t DefaultAnalysisMs = 3000;
constexpr int AnalyseHashMb = 64;
constexpr std::string_view Usage =
    "[--fen FEN] [--moves \"e2e4 e7e5\"] [--depth N | --movetime MS | --infinite] [--multipv N]";

struct AnalyseArguments {
    PositionRecord position;
    int depth = 0;
    std::int64_t moveTimeMs = -1;
    bool infinite = false;
    int lines = 1;  // --multipv
};

// Prints one line per variation report.
class ProgressPrinter final : public ReportListener {
public:
    explicit ProgressPrinter(std::int64_t startMs) : startMs_(startMs) {}

    void OnDepth(int depth) override { depth_ = depth; }
    void OnNodes(int nodes) override { nodes_.Extend(nodes); }
    void OnCurrentMove(const char*, int, int) override {}
    void OnMainline(const char* text, int score) override {
        Mainline line = ParseMainline(text);
        if (line.moves.empty()) return;
        const std::int64_t elapsed = std::max<std::int64_t>(0, platform::ElapsedMilliseconds() - startMs_);
        std::string scoreText = ReadableScoreText(ScoreFromEngine(score));
        if (line.bound == LineBound::Lower) scoreText = ">=" + scoreText;
        if (line.bound == LineBound::Upper) scoreText = "<=" + scoreText;
        std::string moves;
        for (const std::string& move : line.moves) moves += (moves.empty() ? "" : " ") + move;
        const std::uint64_t nodes = nodes_.Current();
        std::printf("depth %2d  score %-12s  nodes %12llu  nps %9llu  time %7.2f s  pv %s\n", depth_, scoreText.c_str(),
                    static_cast<unsigned long long>(nodes),
                    static_cast<unsigned long long>(NodesPerSecond(nodes, elapsed)),
                    static_cast<double>(elapsed) / 1000.0, moves.c_str());
        std::fflush(stdout);
        if (line.bound == LineBound::Exact) best_ = std::move(line.moves);
    }
    // A multi-line analysis: every line of the iteration, best first.
    void OnLines(int depth, int count) override {
        nodes_.Extend(static_cast<int>(NodeCount));
        const std::int64_t elapsed = std::max<std::int64_t>(0, platform::ElapsedMilliseconds() - startMs_);
        const std::uint64_t nodes = nodes_.Current();
        for (int k = 0; k < count; ++k) {
            const std::vector<std::string> moves = LineMoves(ReportedRootLine(k));
            std::string text;
            for (const std::string& move : moves) text += (text.empty() ? "" : " ") + move;
            std::printf("depth %2d  line %2d  score %-12s  nodes %12llu  nps %9llu  time %7.2f s  pv %s\n", depth, k + 1,
                        ReadableScoreText(ScoreFromEngine(ReportedRootLine(k).Score)).c_str(),
                        static_cast<unsigned long long>(nodes),
                        static_cast<unsigned long long>(NodesPerSecond(nodes, elapsed)),
                        static_cast<double>(elapsed) / 1000.0, text.c_str());
            if (k == 0) best_ = moves;
        }
        std::fflush(stdout);
    }

    const std::vector<std::string>& Best() const { return best_; }

private:
    std::int64_t startMs_;
    int depth_ = 0;
    NodeCounter nodes_;
    std::vector<std::string> best_;
};

bool ReadPositive(const char* text, std::int64_t& value) {
    char* end = nullptr;
    const long long number = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || number <= 0) return false;
    value = number;
    return true;
}

// Returns an error text, or "" when the arguments are usable.
std::string ReadArguments(std::span<char* const> args, AnalyseArguments& arguments) {
    int limits = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view option = args[i];
        const bool takesValue = option == "--fen" || option == "--moves" || option == "--depth" || option == "--movetime" ||
                                option == "--multipv";
        if (takesValue && i + 1 >= args.size()) return std::string(option) + " needs a value";
        if (option == "--fen") {
            const FenCheck check = CheckFen(args[++i]);
            if (!check.error.empty()) return "bad FEN: " + check.error;
            for (const std::string& note : check.notes) std::fprintf(stderr, "zarn analyse: %s\n", note.c_str());
            arguments.position.startPosition = false;
            arguments.position.fen = check.fen;
        } else if (option == "--moves") {
            std::string_view text = args[++i];
            while (!text.empty()) {
                const std::size_t end = std::min(text.find(' '), text.size());
                if (end > 0) {
                    const std::string move(text.substr(0, end));
                    if (!IsMoveText(move)) return "bad move text '" + move + "'";
                    arguments.position.moves.push_back(move);
                }
                text.remove_prefix(std::min(end + 1, text.size()));
            }
        } else if (option == "--depth") {
            std::int64_t depth = 0;
            if (!ReadPositive(args[++i], depth)) return "--depth needs a positive number";
            arguments.depth = static_cast<int>(std::min<std::int64_t>(depth, 1000));
            ++limits;
        } else if (option == "--movetime") {
            if (!ReadPositive(args[++i], arguments.moveTimeMs)) return "--movetime needs a positive number";
            ++limits;
        } else if (option == "--multipv") {
            std::int64_t lines = 0;
            if (!ReadPositive(args[++i], lines) || lines > MaxRootLines)
                return "--multipv needs a number from 1 to " + std::to_string(MaxRootLines);
            arguments.lines = static_cast<int>(lines);
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

int RunAnalyse(std::span<char* const> args) {
    AnalyseArguments arguments;
    if (std::string error = ReadArguments(args, arguments); !error.empty()) {
        std::fprintf(stderr, "zarn analyse: %s\nusage: zarn analyse %.*s\n", error.c_str(),
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
    std::printf("Analysing %s", arguments.position.startPosition ? "the start position" : arguments.position.fen.c_str());
    if (!arguments.position.moves.empty()) std::printf(" after %zu moves", arguments.position.moves.size());
    if (arguments.depth > 0) std::printf(" to depth %d", arguments.depth);
    else if (arguments.infinite) std::printf(" until Enter is pressed");
    else std::printf(" for %.1f s", static_cast<double>(arguments.moveTimeMs) / 1000.0);
    std::printf("\n");
    std::fflush(stdout);

    if (arguments.depth > 0)
        ZarnSetDepth(arguments.depth);
    else
        ZarnSetInfinite();

    SetRootLineCount(arguments.lines);
    const std::int64_t startMs = platform::ElapsedMilliseconds();
    ProgressPrinter printer(startMs);
    SetReportListener(&printer);

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
        // Enter ends the analysis; the reader may stay blocked when the engine ends first.
        std::thread([] {
            std::string line;
            if (std::getline(std::cin, line)) ZarnStopAnalyse();
        }).detach();
    }
    {
        std::unique_lock lock(mutex);
        if (arguments.moveTimeMs > 0) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(arguments.moveTimeMs);
            finished.wait_until(lock, until, [&] { return done; });
            // The stop is repeated in case it came before the analysis had begun.
            while (!done) {
                ZarnStopAnalyse();
                finished.wait_for(lock, std::chrono::milliseconds(2), [&] { return done; });
            }
        } else {
            finished.wait(lock, [&] { return done; });
        }
    }
    search.join();
    SetReportListener(nullptr);

    if (result == 1) {
        std::printf("No legal move: the side to move is %s.\n", "checkmated or stalemated");
    } else {
        const std::string best = printer.Best().empty() ? FallbackMove() : printer.Best().front();
        std::printf("best move %s", best.c_str());
        if (printer.Best().size() > 1) std::printf(" (expected reply %s)", printer.Best()[1].c_str());
        std::printf("\n");
    }
    StopEngine();
    return 0;
}

const CommandRegistration registration({"analyse", Usage, "analyse a position and print the best move", RunAnalyse});

}  // namespace
}  // namespace zarn::cli

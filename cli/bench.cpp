// zarn bench [depth]: a fixed-depth search of a fixed set of positions, each from cleared tables.
// The total node count is the search's signature: the same on every run and every machine.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/command.h"
#include "cli/text/number.h"
#include "cli/uci/report.h"
#include "engine/interface/zarn.h"
#include "engine/search/root_result.h"
#include "engine/search/search.h"

namespace zarn::cli {
namespace {

constexpr int DefaultBenchDepth = 9;
constexpr int MaxBenchDepth = 31;
constexpr int BenchHashKb = 16 * 1024;

// Openings, middlegames, endgames and tactical positions.
constexpr const char* BenchPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq -",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq -",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQKB1R w KQ -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R w KQkq -",
    "2r3k1/p4p2/3Rp2p/1p2P1pK/8/1P4P1/P3Q2P/1q6 b - -",
    "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq -",
    "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - -",
    "1K1k4/1P6/8/8/8/8/r7/2R5 w - -",
    "8/pp3k2/2p5/3P4/8/2P2K2/PP6/8 w - -",
    "6k1/5p2/6p1/8/7p/8/6PP/6K1 b - -",
};

int Fail(const char* message) {
    std::fprintf(stderr, "zarn bench: %s (usage: zarn bench [depth])\n", message);
    return 2;
}

int RunBench(std::span<char* const> args) {
    int depth = DefaultBenchDepth;
    if (args.size() == 1 && std::strcmp(args[0], "--positions") == 0) {
        // For scripts that compare other engines on the same positions.
        for (const char* position : BenchPositions) std::printf("%s\n", position);
        return 0;
    }
    if (!args.empty()) {
        std::int64_t number = 0;
        if (!ReadNumber(args[0], 1, MaxBenchDepth, number)) return Fail("depth must be a whole number from 1 to 31");
        depth = static_cast<int>(number);
        if (args.size() > 1) return Fail("too many arguments");
    }

    // The search's results are read from its best line: no report is needed.
    const ReportCallbacks callbacks = {24, nullptr, nullptr, nullptr, nullptr, nullptr};
    if (ZarnInit(&callbacks, "", BenchHashKb) < 0) return Fail("not enough memory for the tables");

    // Each line: the position's number, its nodes, the score of the search's best line as analyse
    // shows it (pawns, or "mate in N" / "mated in N") and that line, continued from the table.
    std::printf("Scores from the side to move's point of view\n");
    std::uint64_t total = 0;
    const auto started = std::chrono::steady_clock::now();
    int number = 0;
    for (const char* position : BenchPositions) {
        std::string fen = position;
        ZarnClearHashtable();
        ZarnSetPosition(fen.data());
        ZarnSetDepth(depth);
        ZarnAnalyse(0);
        total += NodeCount;
        // Read once the search has ended, the table cannot change the count.
        const RootLine line = FullLine(BestRootLine());
        std::string moves;
        for (const std::string& move : LineMoves(line)) moves += (moves.empty() ? "" : " ") + move;
        std::printf("%2d  %10" PRIu32 " nodes  %-11s  %s\n", ++number, NodeCount,
                    ReadableScoreText(ScoreFromEngine(line.Score)).c_str(), moves.c_str());
    }
    const auto elapsed = std::chrono::steady_clock::now() - started;
    const auto microseconds = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
    ZarnQuit();

    std::printf("Depth: %d\n", depth);
    std::printf("Time: %" PRId64 " ms\n", static_cast<std::int64_t>(microseconds / 1000));
    std::printf("Nodes per second: %" PRIu64 "\n",
                microseconds > 0 ? static_cast<std::uint64_t>(total * 1000000.0 / microseconds) : total);
    // The signature last, where scripts look for it.
    std::printf("Nodes searched: %" PRIu64 "\n", total);
    return 0;
}

const CommandRegistration registration{
    {"bench", "[depth | --positions]",
     "search a fixed set of positions to a fixed depth and report nodes per second (or list the positions)",
     RunBench}};

}  // namespace
}  // namespace zarn::cli

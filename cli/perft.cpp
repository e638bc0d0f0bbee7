// zarn perft <depth> [FEN]: leaves of the legal move tree, one line per root move, then the total.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/fen_argument.h"
#include "cli/text/number.h"
#include "cli/uci/report.h"
#include "engine/board/board.h"
#include "engine/board/tables.h"
#include "engine/interface/zarn.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/perft.h"
#include "engine/search/stack.h"

namespace zarn::cli {
namespace {

// Deep enough for any sensible count, shallow enough that the plies of one line fit the move buffer.
constexpr int MaxPerftDepth = 20;

int Fail(const char* message) {
    std::fprintf(stderr, "zarn perft: %s (usage: zarn perft <depth> [FEN])\n", message);
    return 2;
}

int RunPerft(std::span<char* const> args) {
    if (args.empty()) return Fail("missing depth");
    std::int64_t number = 0;
    if (!ReadNumber(args[0], 1, MaxPerftDepth, number)) return Fail("depth must be a whole number from 1 to 20");
    const int depth = static_cast<int>(number);

    std::string fen;
    if (args.size() > 1 && (fen = ReadFenArgument("perft", args.subspan(1))).empty()) return 2;

    InitialiseEngine();
    if (!fen.empty()) ZarnSetPosition(fen.data());

    const auto started = std::chrono::steady_clock::now();
    const int side = SideToMove;
    const int count = GeneratePerftMoves(side, 1);
    const int first = MoveStart(1);
    std::uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        // Each subtree regenerates into the plies above, so the root moves stay in place.
        const Move move = MoveBuffer[first + i];
        MakeMove(side, move, 1);
        const std::uint64_t leaves = Perft(1 - side, depth - 1, 2);
        UnmakeMove(side, move, 1);
        total += leaves;
        std::printf("%s: %" PRIu64 "\n", CoordinateMove(move).c_str(), leaves);
    }
    const auto elapsed = std::chrono::steady_clock::now() - started;
    const auto microseconds = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();

    std::printf("Nodes searched: %" PRIu64 "\n", total);
    std::printf("Time: %" PRId64 " ms\n", static_cast<std::int64_t>(microseconds / 1000));
    std::printf("Nodes per second: %" PRIu64 "\n",
                microseconds > 0 ? static_cast<std::uint64_t>(total * 1000000.0 / microseconds) : total);
    return 0;
}

const CommandRegistration registration{
    {"perft", "<depth> [FEN]", "count the leaves of the legal move tree (start position by default)", RunPerft}};

}  // namespace
}  // namespace zarn::cli

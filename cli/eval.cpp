// zarn eval [FEN]: the static evaluation of a position, term by term, as an analysis would see it at
// its root; zarn eval --bench [positions] measures evaluations per second over random games.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "cli/fen_argument.h"
#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/eval/breakdown.h"
#include "engine/eval/pawns.h"
#include "engine/eval/score.h"
#include "engine/interface/zarn.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "engine/search/phase.h"
#include "engine/search/stack.h"

namespace zarn::cli {
namespace {

int Fail(const char* message) {
    std::fprintf(stderr, "zarn eval: %s (usage: zarn eval [FEN] | zarn eval --bench [positions])\n", message);
    return 2;
}

// The legal moves of `side` at `ply`, generated and tried on the board.
int LegalMovesAt(int side, int ply, std::vector<Move>& moves) {
    moves.clear();
    GenerateAll(side, ply);
    for (int i = MoveStart(ply); i < SearchStack[ply].MoveEnd; ++i) {
        const Move move = MoveBuffer[i];
        MakeMove(side, move, ply);
        if (!InCheck(side)) moves.push_back(move);
        UnmakeMove(side, move, ply);
    }
    return static_cast<int>(moves.size());
}

// One random game from the start position, made move by move on the search stack, at most
// `plies` long; captures are preferred so that games reach endings.
std::vector<Move> RandomGame(std::mt19937& random, int plies) {
    std::vector<Move> game, moves;
    int side = White;
    for (int ply = 1; ply <= plies; ++ply) {
        if (LegalMovesAt(side, ply, moves) == 0) break;
        std::vector<Move> captures;
        for (Move m : moves)
            if (MoveCaptured(m)) captures.push_back(m);
        const std::vector<Move>& pool = !captures.empty() && random() % 3 != 0 ? captures : moves;
        const Move move = pool[random() % pool.size()];
        MakeMove(side, move, ply);
        game.push_back(move);
        side = 1 - side;
    }
    // Back to the start position.
    for (int ply = static_cast<int>(game.size()); ply >= 1; --ply) {
        side = 1 - side;
        UnmakeMove(side, game[ply - 1], ply);
    }
    return game;
}

// Replays the games; with `evaluate` also evaluates each position reached.
long long ReplayGames(const std::vector<std::vector<Move>>& games, bool evaluate) {
    long long sum = 0;
    for (const std::vector<Move>& game : games) {
        int side = White;
        const int plies = static_cast<int>(game.size());
        for (int ply = 1; ply <= plies; ++ply) {
            MakeMove(side, game[ply - 1], ply);
            side = 1 - side;
            if (evaluate) sum += Evaluate(side, -MateScore, MateScore, ply + 1);
        }
        for (int ply = plies; ply >= 1; --ply) {
            side = 1 - side;
            UnmakeMove(side, game[ply - 1], ply);
        }
    }
    return sum;
}

struct Timing {
    double wall = 0;  // seconds
    double cpu = 0;   // seconds of this process's processor time, steadier on a busy machine
};

Timing TimeReplays(const std::vector<std::vector<Move>>& games, bool evaluate, int rounds, long long& sum) {
    const auto started = std::chrono::steady_clock::now();
    const std::clock_t cpuStarted = std::clock();
    for (int r = 0; r < rounds; ++r) sum += ReplayGames(games, evaluate);
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
            static_cast<double>(std::clock() - cpuStarted) / CLOCKS_PER_SEC};
}

double PerSecond(double count, double withEvaluation, double movesOnly) {
    const double seconds = withEvaluation - movesOnly;
    return seconds > 1e-9 ? count / seconds : 0;
}

int RunBench(std::span<char* const> args) {
    long positions = 4000;
    if (!args.empty()) {
        char* end = nullptr;
        positions = std::strtol(args[0], &end, 10);
        if (*end != '\0' || positions < 100 || positions > 1000000) return Fail("positions must be 100 to 1000000");
    }
    ZarnSetStartPosition();
    SetDrawValues(SideToMove);
    PrepareRoot(SideToMove);

    std::mt19937 random(20240611);
    std::vector<std::vector<Move>> games;
    long collected = 0;
    while (collected < positions) {
        games.push_back(RandomGame(random, 100));
        collected += static_cast<long>(games.back().size());
    }
    // Enough rounds for about ten million evaluations; every position is evaluated in each round.
    const int rounds = static_cast<int>(std::max<long>(1, 10000000 / collected));
    long long sum = 0;
    ReplayGames(games, true);  // warm the pawn hash as a search would
    const Timing moves = TimeReplays(games, false, rounds, sum);
    const Timing total = TimeReplays(games, true, rounds, sum);
    const double evaluations = static_cast<double>(collected) * rounds;
    std::printf("positions: %ld from %zu random games, each evaluated %d times\n", collected, games.size(), rounds);
    std::printf("processor time: %.3f s with the evaluations, %.3f s for making the moves alone\n", total.cpu,
                moves.cpu);
    std::printf("wall time: %.3f s with the evaluations, %.3f s for making the moves alone\n", total.wall,
                moves.wall);
    std::printf("evaluations per second (processor time): %.0f\n", PerSecond(evaluations, total.cpu, moves.cpu));
    std::printf("evaluations per second (wall time): %.0f\n", PerSecond(evaluations, total.wall, moves.wall));
    std::printf("checksum: %lld\n", sum);
    return 0;
}

int RunEval(std::span<char* const> args) {
    const bool bench = !args.empty() && std::string_view(args[0]) == "--bench";
    std::string fen;
    if (!bench && !args.empty() && (fen = ReadFenArgument("eval", args)).empty()) return 2;
    if (ZarnInit(nullptr, "", 0) < 0) {
        std::fprintf(stderr, "zarn eval: the engine could not allocate its tables\n");
        return 1;
    }
    int status = 0;
    if (bench) {
        status = RunBench(args.subspan(1));
    } else {
        if (fen.empty())
            ZarnSetStartPosition();
        else
            ZarnSetPosition(fen.data());

        // Exactly what an analysis prepares before it searches.
        ResetSearchStack();
        RebuildDerivedState();
        SetDrawValues(SideToMove);
        PrepareRoot(SideToMove);

        EvalTrace trace;
        EvaluateTraced(SideToMove, -MateScore, MateScore, 1, trace);
        // The analysis reports scores for the side to move; this breakdown keeps White's view.
        std::printf("Scores in centipawns from White's point of view (positive: White is better)\n");
        std::fputs(FormatEvalBreakdown(trace, SideToMove).c_str(), stdout);
    }
    ZarnQuit();
    return status;
}

const CommandRegistration registration{Command{
    "eval", "[FEN] | --bench [positions]",
    "static evaluation by term (start position without FEN); --bench: evaluations per second", RunEval}};

}  // namespace
}  // namespace zarn::cli

// zarn annotate: reads a PGN file, has the engine search every position of each game's main line, and
// writes the games back with an evaluation after every move, judgement marks and better lines for the
// moves that lose much against the engine's choice, and optionally an evaluation chart per game. The
// games are reviewed each by a process of its own, several at a time (--jobs), one block of the
// input's games may be taken (--shard), and a run cut short continued (--resume); the output is the
// same file in every case.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/command.h"
#include "cli/annotate/game_review.h"
#include "cli/annotate/resume.h"
#include "cli/annotate/review_processes.h"
#include "cli/annotate/review_progress.h"
#include "cli/pgn/reader.h"
#include "cli/pgn/replay.h"
#include "cli/pgn/writer.h"
#include "cli/uci/engine.h"
#include "platform/platform.h"

namespace zarn::cli {
namespace {

constexpr std::int64_t DefaultMoveTimeMs = 200;
constexpr std::int64_t MaxMoveTimeMs = 24 * 3600 * 1000;
constexpr int MaxDepth = 31;
constexpr std::int64_t MaxShards = 1000000;
// Written games reach the storage (fsync) at most this often, and at the end.
constexpr std::int64_t SyncIntervalMs = 1000;
constexpr std::string_view Usage =
    "GAMES.pgn [--movetime MS | --depth N] [--output OUT.pgn [--resume]] [--graph DIR] [--jobs N] [--shard K/N]";

void PrintHelp() {
    std::printf(
        "usage: zarn annotate %.*s\n\n"
        "Searches every position of each game's main line and writes the games back as PGN (to standard\n"
        "output unless --output names a file), with the original tags, moves, comments and variations and:\n"
        "  - after every move its evaluation from White's point of view: {[%%eval 0.35]}, {[%%eval #3]} when\n"
        "    White mates in 3, {[%%eval #-3]} when Black does;\n"
        "  - for a move other than the engine's choice that loses at least %d centipawns against it the\n"
        "    mark ?! ($6), from %d a ? ($2), from %d a ?? ($4), and the engine's line as a variation\n"
        "    (scores are clamped to +-%d centipawns, a mate counting as that, before the loss is measured);\n"
        "  - an [Annotator] tag when the game has none.\n"
        "GAMES.pgn may be - for standard input.\n\n"
        "  --movetime MS  search each position for MS milliseconds (default %lld)\n"
        "  --depth N      search each position to N plies instead (1 to %d)\n"
        "  --output FILE  write the annotated games to FILE (never the input file itself); each game is\n"
        "                 written whole before the next, so a run cut short leaves whole games\n"
        "  --resume       continue the run that wrote --output: keep the games it holds when they are the\n"
        "                 first games to review (a game written in part at its end is dropped), and\n"
        "                 review the rest; refused, with the file unchanged, when they are not\n"
        "  --graph DIR    write an SVG chart of the evaluation for each game to DIR/game-NNNN.svg\n"
        "  --jobs N       review N games at a time in separate processes (default 1, 0: one per\n"
        "                 processor, at most %d); the output is written in the input's order\n"
        "  --shard K/N    review only the K-th of N equal blocks of the input's games (1 <= K <= N <= %lld),\n"
        "                 for N machines each taking one; their outputs, joined in order, are one run's\n\n"
        "Each game is reviewed by a process of its own, so at a fixed --depth the output is the same for any\n"
        "--jobs and --shard. Games keep their numbers in the whole input in messages and chart names.\n"
        "A game that cannot be read or replayed is reported on standard error with its number, line and\n"
        "reason, copied through unchanged, and the next game is read. Progress is shown on standard error\n"
        "when it is a terminal. Exit status: 0 when every game was annotated, 1 when any game was copied\n"
        "unchanged, 2 for bad arguments or an input or output that cannot be used, 3 when a review process\n"
        "ended without its game (the games before it are written: --resume goes on from there).\n",
        static_cast<int>(Usage.size()), Usage.data(), DubiousLoss, MistakeLoss, BlunderLoss, JudgedScoreBound,
        static_cast<long long>(DefaultMoveTimeMs), MaxDepth, MaxReviewProcesses, static_cast<long long>(MaxShards));
}

struct AnnotateArguments {
    std::string input;
    std::string output;
    std::string graphDirectory;
    AnalysisLimit limit;
    int jobs = 1;
    std::int64_t shard = 1;
    std::int64_t shards = 1;
    bool resume = false;
    bool worker = false;  // a review process of another run (not in the help)
    bool help = false;
};

bool ReadNumber(std::string_view text, std::int64_t& value) {
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
    value = std::strtoll(std::string(text).c_str(), nullptr, 10);
    return true;
}

bool ReadPositive(const char* text, std::int64_t& value) { return ReadNumber(text, value) && value > 0; }

// "K/N" with 1 <= K <= N <= MaxShards.
bool ReadShard(std::string_view text, AnnotateArguments& arguments) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) return false;
    return ReadNumber(text.substr(0, slash), arguments.shard) && ReadNumber(text.substr(slash + 1), arguments.shards) &&
           arguments.shard >= 1 && arguments.shards <= MaxShards && arguments.shard <= arguments.shards;
}

std::string ReadArguments(std::span<char* const> args, AnnotateArguments& arguments) {
    int limits = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view option = args[i];
        const bool takesValue = option == "--movetime" || option == "--depth" || option == "--output" || option == "--graph" ||
                                option == "--jobs" || option == "--shard";
        if (takesValue && i + 1 >= args.size()) return std::string(option) + " needs a value";
        if (option == "--help" || option == "-h") {
            arguments.help = true;
        } else if (option == "--movetime") {
            if (!ReadPositive(args[++i], arguments.limit.moveTimeMs) || arguments.limit.moveTimeMs > MaxMoveTimeMs)
                return std::string("--movetime needs a number of milliseconds from 1 to ").append(std::to_string(MaxMoveTimeMs));
            ++limits;
        } else if (option == "--depth") {
            std::int64_t depth = 0;
            if (!ReadPositive(args[++i], depth) || depth > MaxDepth)
                return std::string("--depth needs a number from 1 to ").append(std::to_string(MaxDepth));
            arguments.limit.depth = static_cast<int>(depth);
            ++limits;
        } else if (option == "--output") {
            arguments.output = args[++i];
        } else if (option == "--graph") {
            arguments.graphDirectory = args[++i];
        } else if (option == "--jobs") {
            std::int64_t jobs = 0;
            if (!ReadNumber(args[++i], jobs) || jobs > MaxReviewProcesses)
                return "--jobs needs a number from 0 (one per processor) to " + std::to_string(MaxReviewProcesses);
            arguments.jobs = static_cast<int>(jobs);
        } else if (option == "--shard") {
            if (!ReadShard(args[++i], arguments))
                return "--shard needs K/N with 1 <= K <= N <= " + std::to_string(MaxShards) + " ('" + args[i] + "' is not)";
        } else if (option == "--resume") {
            arguments.resume = true;
        } else if (option == "--worker") {
            arguments.worker = true;
        } else if (!option.empty() && option[0] == '-' && option != "-") {
            return "unknown option '" + std::string(option) + "'";
        } else if (arguments.input.empty()) {
            arguments.input = std::string(option);
        } else {
            return "one input file only ('" + std::string(option) + "' is a second)";
        }
    }
    if (arguments.help) return "";
    if (limits > 1) return "give at most one of --movetime and --depth";
    if (limits == 0) arguments.limit.moveTimeMs = DefaultMoveTimeMs;
    if (arguments.worker) return arguments.input.empty() ? "" : "a review process reads its games from standard input";
    if (arguments.input.empty()) return "no input file";
    if (arguments.resume && arguments.output.empty()) return "--resume needs --output, the file to continue";
    if (arguments.jobs == 0) {
        const unsigned processors = std::thread::hardware_concurrency();
        arguments.jobs = processors == 0 ? 1 : static_cast<int>(std::min<unsigned>(processors, MaxReviewProcesses));
    }
    if (arguments.output.empty() || arguments.input == "-") return "";
    std::error_code error;
    if (std::filesystem::exists(arguments.output, error) &&
        std::filesystem::equivalent(arguments.input, arguments.output, error))
        return "the output must not be the input file";
    return "";
}

bool ReadInput(const std::string& name, std::string& text) {
    if (name == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) return false;
    std::ifstream file(name, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) return false;
    text = std::move(content).str();
    return true;
}

// The games [first, last) of the K-th of N contiguous blocks; block sizes differ by one at most.
struct GameBlock {
    std::size_t first = 0;
    std::size_t last = 0;
};
GameBlock ShardBlock(std::size_t games, std::int64_t shard, std::int64_t shards) {
    const auto edge = [&](std::int64_t k) {
        return static_cast<std::size_t>(static_cast<std::uint64_t>(games) * static_cast<std::uint64_t>(k) /
                                        static_cast<std::uint64_t>(shards));
    };
    return {edge(shard - 1), edge(shard)};
}

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Where the annotated games go: each game written whole and flushed before the next, a file's data
// put on its storage at most once a second and at the end.
class GameSink {
public:
    explicit GameSink(std::FILE* file) : file_(file), isFile_(file != stdout) {}

    bool Write(const std::string& text) {
        if (failed_) return false;
        if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0) failed_ = true;
        if (!failed_ && isFile_ && NowMs() - lastSync_ >= SyncIntervalMs) {
            platform::SyncFile(file_);
            lastSync_ = NowMs();
        }
        return !failed_;
    }

    // Syncs and closes; false when any write failed.
    bool Close() {
        if (isFile_) {
            if (!failed_) platform::SyncFile(file_);
            failed_ = std::fclose(file_) != 0 || failed_;
        } else {
            failed_ = std::fflush(file_) != 0 || std::ferror(file_) != 0 || failed_;
        }
        return !failed_;
    }

private:
    std::FILE* file_;
    bool isFile_;
    bool failed_ = false;
    std::int64_t lastSync_ = NowMs();
};

// Opens the output: a new file, or with --resume the kept part of an earlier run's file, which is
// checked first (a mismatch refuses and changes nothing). Sets from to the first game of the block
// still to review. Null with a message printed on failure.
std::FILE* OpenOutput(const AnnotateArguments& arguments, std::string_view input, std::span<const PgnGame> block,
                      std::size_t firstNumber, std::size_t& from) {
    from = 0;
    if (arguments.output.empty()) return stdout;
    const char* name = arguments.output.c_str();
    std::error_code error;
    if (arguments.resume && std::filesystem::exists(arguments.output, error)) {
        std::string earlier;
        if (!ReadInput(arguments.output, earlier)) {
            std::fprintf(stderr, "zarn annotate: cannot read '%s' to resume\n", name);
            return nullptr;
        }
        const ResumePoint point = FindResumePoint(earlier, input, block, firstNumber);
        if (!point.mismatch.empty()) {
            std::fprintf(stderr, "zarn annotate: cannot resume '%s': %s; the file is left unchanged\n", name,
                         point.mismatch.c_str());
            return nullptr;
        }
        if (point.keptBytes < earlier.size()) {
            std::filesystem::resize_file(arguments.output, point.keptBytes, error);
            if (error) {
                std::fprintf(stderr, "zarn annotate: cannot shorten '%s' to its whole games: %s\n", name, error.message().c_str());
                return nullptr;
            }
        }
        from = point.games;
        if (point.partialGame)
            std::fprintf(stderr, "zarn annotate: dropped a game written in part at the end of '%s'\n", name);
        if (from == block.size())
            std::fprintf(stderr, "zarn annotate: '%s' holds all %zu games already\n", name, from);
        else if (from > 0)
            std::fprintf(stderr, "zarn annotate: '%s' holds the first %zu of %zu games; going on from game %zu\n", name, from,
                         block.size(), firstNumber + from);
        std::FILE* file = std::fopen(name, "ab");
        if (!file) std::fprintf(stderr, "zarn annotate: cannot write '%s'\n", name);
        return file;
    }
    std::FILE* file = std::fopen(name, "wb");
    if (!file) std::fprintf(stderr, "zarn annotate: cannot write '%s'\n", name);
    return file;
}

bool WriteChart(const std::string& directory, std::size_t number, const std::string& svg) {
    char name[32];
    std::snprintf(name, sizeof name, "game-%04zu.svg", number);
    const std::filesystem::path path = std::filesystem::path(directory) / name;
    std::ofstream file(path, std::ios::binary);
    file << svg;
    if (file.flush()) return true;
    std::fprintf(stderr, "zarn annotate: cannot write '%s'\n", path.string().c_str());
    return false;
}

int RunAnnotate(std::span<char* const> args) {
    AnnotateArguments arguments;
    if (std::string error = ReadArguments(args, arguments); !error.empty()) {
        std::fprintf(stderr, "zarn annotate: %s (usage: zarn annotate %.*s)\n", error.c_str(), static_cast<int>(Usage.size()),
                     Usage.data());
        return 2;
    }
    if (arguments.help) {
        PrintHelp();
        return 0;
    }
    if (arguments.worker) return RunReviewWorker(arguments.limit);
    std::string text;
    if (!ReadInput(arguments.input, text)) {
        std::fprintf(stderr, "zarn annotate: cannot read '%s'\n", arguments.input.c_str());
        return 2;
    }
    if (!arguments.graphDirectory.empty()) {
        std::error_code error;
        std::filesystem::create_directories(arguments.graphDirectory, error);
        if (!std::filesystem::is_directory(arguments.graphDirectory, error)) {
            std::fprintf(stderr, "zarn annotate: cannot make the directory '%s'\n", arguments.graphDirectory.c_str());
            return 2;
        }
    }
    // This process's engine replays the games; each review runs in a process of its own.
    if (StartEngine(1) < 0) {
        std::fprintf(stderr, "zarn annotate: the engine could not allocate its tables\n");
        return 2;
    }

    std::vector<PgnGame> games = ReadPgn(text);
    if (games.empty()) std::fprintf(stderr, "zarn annotate: no games in '%s'\n", arguments.input.c_str());
    const GameBlock block = ShardBlock(games.size(), arguments.shard, arguments.shards);
    if (!games.empty() && block.first == block.last)
        std::fprintf(stderr, "zarn annotate: shard %lld/%lld holds none of the %zu games\n", static_cast<long long>(arguments.shard),
                     static_cast<long long>(arguments.shards), games.size());
    for (std::size_t i = block.first; i < block.last; ++i)
        if (games[i].error.empty()) ReplayGame(games[i]);

    std::size_t from = 0;
    const std::span<const PgnGame> blockGames(games.data() + block.first, block.last - block.first);
    std::FILE* out = OpenOutput(arguments, text, blockGames, block.first + 1, from);
    if (!out) {
        StopEngine();
        return 2;
    }
    from += block.first;

    // The games still to review: messages for the unusable ones, the others' texts as jobs.
    std::vector<ReviewJob> jobs;
    std::vector<std::size_t> jobGame;
    std::size_t positions = 0;
    for (std::size_t i = from; i < block.last; ++i) {
        const PgnGame& game = games[i];
        if (!game.error.empty()) {
            std::fprintf(stderr, "zarn annotate: game %zu (line %d): %s; copied unchanged\n", i + 1, game.errorLine,
                         game.error.c_str());
            continue;
        }
        positions += game.mainLine.moves.size() + 1;
        for (const auto& [name, value] : game.tags)
            if (value.size() > MaxTagValueBytes)
                std::fprintf(stderr, "zarn annotate: game %zu: the value of tag %s is cut to %zu bytes\n", i + 1, name.c_str(),
                             MaxTagValueBytes);
        jobs.push_back({std::string_view(text).substr(game.begin, game.end - game.begin), GameFingerprint(game)});
        jobGame.push_back(i);
    }

    // Games copied unchanged that an earlier run wrote count for the exit status as this run's do.
    std::size_t refusedBefore = 0;
    for (std::size_t i = block.first; i < from; ++i) refusedBefore += games[i].error.empty() ? 0 : 1;

    GameSink sink(out);
    ReviewProgress progress(block.last - from, positions);
    std::size_t written = from;  // games of the input written so far
    std::size_t annotated = 0;
    std::size_t refused = 0;
    std::size_t positionsDone = 0;
    bool writeFailed = false;
    bool graphFailed = false;
    // Writes the games up to (not including) game `until` that are copied unchanged.
    const auto copyUnchangedUntil = [&](std::size_t until) {
        for (; written < until && !writeFailed; ++written) {
            const PgnGame& game = games[written];
            writeFailed = !sink.Write(GameTextAsRead(text, game));
            ++refused;
        }
    };
    const auto take = [&](std::size_t job, GameReview& review) {
        const std::size_t index = jobGame[job];
        copyUnchangedUntil(index);
        if (writeFailed) return false;
        if (!review.error.empty()) {
            std::fprintf(stderr, "zarn annotate: game %zu: %s; copied unchanged\n", index + 1, review.error.c_str());
            writeFailed = !sink.Write(GameTextAsRead(text, games[index]));
            ++refused;
        } else {
            writeFailed = !sink.Write(review.pgn);
            ++annotated;
            if (!review.chart.empty() && !WriteChart(arguments.graphDirectory, index + 1, review.chart)) graphFailed = true;
        }
        ++written;
        positionsDone += review.positions;
        progress.Update(written - from, positionsDone);
        return !writeFailed;
    };
    const ReviewRun run = ReviewInOrder(jobs, arguments.jobs, arguments.limit, !arguments.graphDirectory.empty(), take,
                                        [&](std::size_t done) { progress.Update(written - from, done); });
    if (run.complete) copyUnchangedUntil(block.last);
    else if (run.lostJob != ReviewRun::NoJob) copyUnchangedUntil(jobGame[run.lostJob]);
    progress.Finish(annotated, refused, positionsDone);
    StopEngine();
    writeFailed = !sink.Close() || writeFailed;
    if (writeFailed) {
        std::fprintf(stderr, "zarn annotate: writing the annotated games failed\n");
        return 2;
    }
    if (!run.complete) {
        const std::size_t lost = jobGame[run.lostJob] + 1;
        std::fprintf(stderr, "zarn annotate: game %zu was lost: %s; the games before it are written%s\n", lost,
                     run.failure.c_str(), arguments.output.empty() ? "" : " (--resume goes on from there)");
        return 3;
    }
    if (graphFailed) return 2;
    return refused + refusedBefore > 0 ? 1 : 0;
}

const CommandRegistration registration({"annotate", Usage,
                                        "annotate PGN games: evaluations, mistakes, better lines, charts (see --help)",
                                        RunAnnotate});

}  // namespace
}  // namespace zarn::cli

// zarn annotate: reads a PGN file, has the engine search every position of each game's main line, and
// writes the games back with an evaluation after every move, judgement marks and better lines for the
// moves that lose much against the engine's choice, and optionally an evaluation chart per game.
#include <unistd.h>

#include <chrono>
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
#include <vector>

#include "cli/command.h"
#include "cli/annotate/eval_graph.h"
#include "cli/annotate/game_analysis.h"
#include "cli/pgn/game_position.h"
#include "cli/pgn/reader.h"
#include "cli/pgn/replay.h"
#include "cli/pgn/writer.h"
#include "cli/uci/engine.h"
#include "engine/interface/zarn.h"

namespace zarn::cli {
namespace {

constexpr std::int64_t DefaultMoveTimeMs = 200;
constexpr int AnnotateHashMb = 64;
constexpr std::int64_t MaxMoveTimeMs = 24 * 3600 * 1000;
constexpr int MaxDepth = 31;
constexpr std::string_view Usage = "GAMES.pgn [--movetime MS | --depth N] [--output OUT.pgn] [--graph DIR]";

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
        "  --depth N      search each position to N plies instead (1 to 31)\n"
        "  --output FILE  write the annotated games to FILE (never the input file itself)\n"
        "  --graph DIR    write an SVG chart of the evaluation for each game to DIR/game-NNNN.svg\n\n"
        "A game that cannot be read or replayed is reported on standard error with its number, line and\n"
        "reason, copied through unchanged, and the next game is read. Progress is shown on standard error\n"
        "when it is a terminal. Exit status: 0 when every game was annotated, 1 when any game was copied\n"
        "unchanged, 2 for bad arguments or an input or output that cannot be used.\n",
        static_cast<int>(Usage.size()), Usage.data(), DubiousLoss, MistakeLoss, BlunderLoss, JudgedScoreBound,
        static_cast<long long>(DefaultMoveTimeMs));
}

struct AnnotateArguments {
    std::string input;
    std::string output;
    std::string graphDirectory;
    AnalysisLimit limit;
    bool help = false;
};

bool ReadPositive(const char* text, std::int64_t& value) {
    char* end = nullptr;
    const long long number = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || number <= 0) return false;
    value = number;
    return true;
}

std::string ReadArguments(std::span<char* const> args, AnnotateArguments& arguments) {
    int limits = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view option = args[i];
        const bool takesValue = option == "--movetime" || option == "--depth" || option == "--output" || option == "--graph";
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
        } else if (!option.empty() && option[0] == '-' && option != "-") {
            return "unknown option '" + std::string(option) + "'";
        } else if (arguments.input.empty()) {
            arguments.input = std::string(option);
        } else {
            return "one input file only ('" + std::string(option) + "' is a second)";
        }
    }
    if (arguments.help) return "";
    if (arguments.input.empty()) return "no input file";
    if (limits > 1) return "give at most one of --movetime and --depth";
    if (limits == 0) arguments.limit.moveTimeMs = DefaultMoveTimeMs;
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

std::string Clock(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    return text;
}

// Positions done of the total, time used and the time still expected, on one terminal line.
class Progress {
public:
    Progress(std::size_t games, std::size_t positions)
        : shown_(isatty(STDERR_FILENO) != 0), games_(games), positions_(positions), start_(Now()) {}

    void Update(std::size_t game, std::size_t done) {
        if (!shown_) return;
        const std::int64_t now = Now();
        if (done < positions_ && now - lastShown_ < 100) return;
        lastShown_ = now;
        const std::int64_t elapsed = now - start_;
        std::string remaining = "?";
        if (done > 0) remaining = Clock(static_cast<std::int64_t>(double(elapsed) * double(positions_ - done) / double(done)));
        std::fprintf(stderr, "\rzarn annotate: game %zu/%zu, position %zu/%zu, elapsed %s, remaining %s   ", game, games_,
                     done, positions_, Clock(elapsed).c_str(), remaining.c_str());
        std::fflush(stderr);
        onLine_ = true;
    }

    void Finish(std::size_t annotated, std::size_t refused) {
        if (!shown_) return;
        if (onLine_) std::fprintf(stderr, "\n");
        std::fprintf(stderr, "zarn annotate: %zu games annotated, %zu copied unchanged, %zu positions in %s\n", annotated,
                     refused, positions_, Clock(Now() - start_).c_str());
    }

private:
    static std::int64_t Now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    bool shown_;
    std::size_t games_;
    std::size_t positions_;
    std::int64_t start_;
    std::int64_t lastShown_ = 0;
    bool onLine_ = false;
};

// Removes [%eval ...] from a comment, for a game annotated before; true when something is left.
bool WithoutOldEvaluation(std::string& comment) {
    for (std::size_t at; (at = comment.find("[%eval")) != std::string::npos;) {
        const std::size_t close = comment.find(']', at);
        comment.erase(at, close == std::string::npos ? std::string::npos : close - at + 1);
    }
    return comment.find_first_not_of(" \t\r\n") != std::string::npos;
}

std::string MoveLabel(const PgnGame& game, std::size_t ply, const std::string& san) {
    const int afterStart = static_cast<int>(ply) + (game.firstSide == Black ? 1 : 0);
    const int number = game.firstMoveNumber + afterStart / 2;
    return std::to_string(number) + (afterStart % 2 == 0 ? ". " : "... ") + san;
}

std::string Tag(const PgnGame& game, const char* name) {
    const std::string value = TagValue(game, name);
    return value.empty() ? "?" : value;
}

// Searches every main-line position and writes the results into the game; returns the chart's points.
std::vector<GraphPoint> AnnotateGame(PgnGame& game, const AnalysisLimit& limit, Progress& progress, std::size_t number,
                                     std::size_t& done) {
    ZarnClearHashtable();
    const std::vector<Move> moves = MainLineMoves(game);
    std::vector<PositionVerdict> verdicts;
    for (std::size_t i = 0; i <= moves.size(); ++i) {
        verdicts.push_back(AnalysePosition(game, std::vector<Move>(moves.begin(), moves.begin() + static_cast<std::ptrdiff_t>(i)), limit));
        progress.Update(number, ++done);
    }

    std::vector<GraphPoint> points;
    points.push_back({WhitePawns(verdicts[0]), 0, "", EvalText(verdicts[0])});
    for (std::size_t i = 0; i < moves.size(); ++i) {
        PgnMove& move = game.mainLine.moves[i];
        std::vector<std::string> comments;
        for (std::string& comment : move.comments)
            if (WithoutOldEvaluation(comment)) comments.push_back(std::move(comment));
        // A null move gets neither an evaluation nor a mark; the position after it is judged as any.
        const bool pass = move.move == NullMove;
        const std::string eval = EvalText(verdicts[i + 1]);
        if (!eval.empty() && !pass) comments.insert(comments.begin(), "[%eval " + eval + "]");
        move.comments = std::move(comments);

        const int nag = pass ? 0 : NagForLoss(ExpectedLoss(verdicts[i], verdicts[i + 1], move.move));
        if (nag != 0 && JudgementNag(move.nags) == 0) {
            move.nags.push_back(nag);
            PgnLine better;
            for (const std::string& san : verdicts[i].sans) {
                PgnMove step;
                step.text = step.san = san;
                better.moves.push_back(std::move(step));
            }
            if (!better.moves.empty()) {
                better.moves.front().comments.push_back("[%eval " + EvalText(verdicts[i]) + "]");
                move.variations.push_back(std::move(better));
            }
        }
        // The chart shows the judgement the file gives, the player's own mark where there was one.
        points.push_back({WhitePawns(verdicts[i + 1]), JudgementNag(move.nags), MoveLabel(game, i, move.san),
                          eval.empty() ? "mate" : eval});
    }
    if (!moves.empty() && TagValue(game, "Annotator").empty()) game.tags.emplace_back("Annotator", ZarnGetVersion());
    return points;
}

std::string LimitText(const AnalysisLimit& limit) {
    return limit.depth > 0 ? "depth " + std::to_string(limit.depth) : std::to_string(limit.moveTimeMs) + " ms a position";
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
    FILE* out = stdout;
    if (!arguments.output.empty()) {
        out = std::fopen(arguments.output.c_str(), "wb");
        if (!out) {
            std::fprintf(stderr, "zarn annotate: cannot write '%s'\n", arguments.output.c_str());
            return 2;
        }
    }
    if (StartEngine(AnnotateHashMb) < 0) {
        std::fprintf(stderr, "zarn annotate: the engine could not allocate its tables\n");
        if (out != stdout) std::fclose(out);
        return 2;
    }

    std::vector<PgnGame> games = ReadPgn(text);
    std::size_t positions = 0;
    std::size_t refused = 0;
    for (std::size_t i = 0; i < games.size(); ++i) {
        PgnGame& game = games[i];
        if (game.error.empty()) ReplayGame(game);
        if (!game.error.empty()) {
            ++refused;
            std::fprintf(stderr, "zarn annotate: game %zu (line %d): %s; copied unchanged\n", i + 1, game.errorLine,
                         game.error.c_str());
        } else {
            positions += game.mainLine.moves.size() + 1;
            for (const auto& [name, value] : game.tags)
                if (value.size() > MaxTagValueBytes)
                    std::fprintf(stderr, "zarn annotate: game %zu: the value of tag %s is cut to %zu bytes\n", i + 1,
                                 name.c_str(), MaxTagValueBytes);
        }
    }
    if (games.empty()) std::fprintf(stderr, "zarn annotate: no games in '%s'\n", arguments.input.c_str());

    Progress progress(games.size(), positions);
    std::size_t done = 0;
    bool graphFailed = false;
    for (std::size_t i = 0; i < games.size(); ++i) {
        PgnGame& game = games[i];
        if (!game.error.empty()) {
            const std::string original = GameTextAsRead(text, game);
            std::fwrite(original.data(), 1, original.size(), out);
            std::fflush(out);
            continue;
        }
        const std::vector<GraphPoint> points = AnnotateGame(game, arguments.limit, progress, i + 1, done);
        const std::string pgn = WritePgn(game);
        std::fwrite(pgn.data(), 1, pgn.size(), out);
        std::fflush(out);
        if (!arguments.graphDirectory.empty() && !game.mainLine.moves.empty()) {
            char name[32];
            std::snprintf(name, sizeof name, "game-%04zu.svg", i + 1);
            const std::string title = Tag(game, "White") + " - " + Tag(game, "Black") + "  " + game.result;
            const std::string subtitle =
                GraphSubtitle(game, std::string("analysed by ") + ZarnGetVersion() + " at " + LimitText(arguments.limit));
            const std::string svg = EvalGraphSvg(title, subtitle, points, game.firstMoveNumber, game.firstSide == White);
            const std::filesystem::path path = std::filesystem::path(arguments.graphDirectory) / name;
            std::ofstream file(path, std::ios::binary);
            file << svg;
            if (!file.flush()) {
                std::fprintf(stderr, "zarn annotate: cannot write '%s'\n", path.string().c_str());
                graphFailed = true;
            }
        }
    }
    progress.Finish(games.size() - refused, refused);
    StopEngine();
    const bool writeFailed = std::ferror(out) != 0 || (out != stdout ? std::fclose(out) != 0 : std::fflush(out) != 0);
    if (writeFailed) {
        std::fprintf(stderr, "zarn annotate: writing the annotated games failed\n");
        return 2;
    }
    if (graphFailed) return 2;
    return refused > 0 ? 1 : 0;
}

const CommandRegistration registration({"annotate", Usage,
                                        "annotate PGN games: evaluations, mistakes, better lines, charts (see --help)",
                                        RunAnnotate});

}  // namespace
}  // namespace zarn::cli

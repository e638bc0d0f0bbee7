// zarn-selfplay: two zarn programs play each other through UCI. Moves are checked by the engine's own
// move generator.
//
// Games for zarn annotate: small fixed depths from random openings, written as PGN in the forms
// people's files have (export form, one long line with clock comments, castling with zeros,
// promotions without =, move numbers without spaces).
//
//   zarn-selfplay --engine PATH [--games N] [--seed S] [--max-plies N] > games.pgn
//
// A match at equal clocks: the first program (with its options, say Threads=2) against the second
// (say Threads=1), each opening played twice with the colours swapped, the clocks kept by this tool
// (a side whose clock runs out loses). Prints one line per game pair and the first program's score
// with its 95 % error margin, also in Elo.
//
//   zarn-selfplay --match --engine PATH [--engine2 PATH] [--set NAME=VALUE]... [--set1 NAME=VALUE]...
//                 [--set2 NAME=VALUE]... [--clock SECONDS+INCREMENT] [--games N] [--seed S]
//                 [--opening-plies N] [--max-plies N] [--pgn FILE]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/pgn/game_position.h"
#include "cli/pgn/game.h"
#include "cli/pgn/writer.h"
#include "cli/pgn/san.h"
#include "cli/uci/engine.h"
#include "cli/uci/report.h"
#include "engine/board/board.h"
#include "bench/bare_material.h"
#include "bench/engine_process.h"

namespace {

using zarn::bench::Clock;
using zarn::bench::EngineProcess;
using zarn::Move;


std::uint64_t seed = 1;
std::uint64_t Random() {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
}

// The position for repetitions: the mailbox and the side to move (castling and en passant aside).
std::string Signature() {
    std::string signature(zarn::Board, zarn::Board + 64);
    signature += static_cast<char>(zarn::SideToMove);
    return signature;
}

using zarn::bench::BareMaterial;

// A compact style of movetext on one line: 1.e4 { [%clk 0:03:00] } 1... e5 ... or 1.e4 e5 2.0-0 ...
std::string CompactMovetext(const std::vector<std::string>& sans, const std::string& result, bool clocks, bool zeros) {
    std::string text;
    for (std::size_t i = 0; i < sans.size(); ++i) {
        std::string san = sans[i];
        if (zeros) {
            if (san.rfind("O-O-O", 0) == 0) san.replace(0, 5, "0-0-0");
            else if (san.rfind("O-O", 0) == 0) san.replace(0, 3, "0-0");
            if (const std::size_t equals = san.find('='); equals != std::string::npos) san.erase(equals, 1);
        }
        const std::string number = std::to_string(i / 2 + 1);
        if (i % 2 == 0) text += number + ".";
        else if (clocks) text += number + "... ";
        text += san + " ";
        if (clocks) {
            const int seconds = 180 - static_cast<int>(i / 2) % 170;
            char clock[40];
            std::snprintf(clock, sizeof clock, "{ [%%clk 0:%02d:%02d] } ", seconds / 60, seconds % 60);
            text += clock;
        }
    }
    return text + result + "\n";
}

// One side of a match: its program and the options it is given after uci.
struct Player {
    std::string program;
    std::vector<std::string> options;  // NAME=VALUE
};

std::optional<std::string> SetOptions(EngineProcess& engine, const Player& player) {
    for (const std::string& option : player.options) {
        const std::size_t equals = option.find('=');
        if (equals == std::string::npos) return "option without =: " + option;
        engine.Send("setoption name " + option.substr(0, equals) + " value " + option.substr(equals + 1));
    }
    engine.Send("isready");
    // An option the program does not take, or takes otherwise, is named in an info string: refuse it.
    std::vector<std::string> seen;
    if (!engine.Await("readyok", Clock::now() + std::chrono::seconds(60), &seen)) return "no readyok after the options";
    for (const std::string& line : seen)
        if (line.rfind("info string", 0) == 0) return player.program + ": " + line;
    return std::nullopt;
}

// The first program's result in one game: 1, 0.5 or 0; the game's moves go to moves.
struct GameResult {
    double first = 0.5;
    std::string result = "1/2-1/2";
    std::string termination = "normal";
    std::vector<std::string> sans;
};

// Plays one game from the opening (coordinate moves) with the first program as White when firstWhite.
std::optional<GameResult> PlayMatchGame(std::array<EngineProcess*, 2> engines, bool firstWhite,
                                        const std::vector<std::string>& opening, double seconds, double increment,
                                        int maxPlies, std::string& error) {
    // engines[0] the first program, engines[1] the second; byColour[side] the one playing that colour.
    std::array<EngineProcess*, 2> byColour{firstWhite ? engines[1] : engines[0], firstWhite ? engines[0] : engines[1]};
    for (EngineProcess* engine : engines) {
        engine->Send("ucinewgame");
        engine->Send("isready");
        if (!engine->Await("readyok", Clock::now() + std::chrono::seconds(60))) {
            error = "no readyok before a game";
            return std::nullopt;
        }
    }
    zarn::cli::SetGameStart("");
    GameResult game;
    std::vector<std::string> coordinates;
    std::map<std::string, int> seen{{Signature(), 1}};
    std::array<double, 2> clock{seconds * 1000.0, seconds * 1000.0};  // milliseconds, Black and White
    int quietPlies = 0;
    auto finish = [&](double whiteScore, const std::string& result, const std::string& termination) {
        game.first = firstWhite ? whiteScore : 1.0 - whiteScore;
        game.result = result;
        game.termination = termination;
        return game;
    };
    for (;;) {
        const std::vector<Move> legal = zarn::cli::LegalGameMoves();
        const int side = zarn::SideToMove;
        if (legal.empty()) {
            if (!zarn::cli::SideToMoveInCheck()) return finish(0.5, "1/2-1/2", "stalemate");
            return side == zarn::White ? finish(0.0, "0-1", "mate") : finish(1.0, "1-0", "mate");
        }
        if (quietPlies >= 100 || BareMaterial() || seen[Signature()] >= 3) return finish(0.5, "1/2-1/2", "rule");
        if (static_cast<int>(game.sans.size()) >= maxPlies) return finish(0.5, "1/2-1/2", "adjudication");
        Move move = 0;
        const std::size_t ply = game.sans.size();
        if (ply < opening.size()) {
            for (Move candidate : legal)
                if (zarn::cli::CoordinateMove(candidate) == opening[ply]) move = candidate;
        } else {
            EngineProcess& engine = *byColour[side];
            std::string position = "position startpos";
            if (!coordinates.empty()) position += " moves";
            for (const std::string& m : coordinates) position += " " + m;
            engine.Send(position);
            const auto ms = [](double value) { return std::to_string(static_cast<long long>(std::max(value, 1.0))); };
            const auto started = Clock::now();
            engine.Send("go wtime " + ms(clock[zarn::White]) + " btime " + ms(clock[zarn::Black]) + " winc " +
                        ms(increment * 1000.0) + " binc " + ms(increment * 1000.0));
            const auto best = engine.Await("bestmove ", started + std::chrono::milliseconds(static_cast<long long>(
                                                                      clock[side] + 10000)));
            clock[side] -= std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            if (!best || clock[side] < 0) {
                if (!best && clock[side] >= 0) {
                    error = "no best move";
                    return std::nullopt;
                }
                return side == zarn::White ? finish(0.0, "0-1", "time forfeit") : finish(1.0, "1-0", "time forfeit");
            }
            clock[side] += increment * 1000.0;
            const std::string text = best->substr(9, best->find(' ', 9) - 9);
            for (Move candidate : legal)
                if (zarn::cli::CoordinateMove(candidate) == text) move = candidate;
            if (move == 0) {
                error = "illegal best move " + text;
                return std::nullopt;
            }
        }
        if (move == 0) {
            error = "an opening move is not legal";
            return std::nullopt;
        }
        quietPlies = (zarn::MoveKind(move) == zarn::Pawn || zarn::MoveCaptured(move)) ? 0 : quietPlies + 1;
        game.sans.push_back(zarn::cli::WriteSan(move));
        coordinates.push_back(zarn::cli::CoordinateMove(move));
        zarn::cli::PlayGameMove(move);
        ++seen[Signature()];
    }
}

// A random opening of the given length that leaves the side to move some moves.
std::vector<std::string> RandomOpening(int plies) {
    for (;;) {
        zarn::cli::SetGameStart("");
        std::vector<std::string> moves;
        while (static_cast<int>(moves.size()) < plies) {
            const std::vector<Move> legal = zarn::cli::LegalGameMoves();
            if (legal.empty()) break;
            const Move move = legal[Random() % legal.size()];
            moves.push_back(zarn::cli::CoordinateMove(move));
            zarn::cli::PlayGameMove(move);
        }
        if (static_cast<int>(moves.size()) == plies && !zarn::cli::LegalGameMoves().empty()) return moves;
    }
}

// The first program's score over n games with its 95 % margin (1.96 standard errors of the mean).
struct Score {
    double score = 0;
    double margin = 0;
};

Score ScoreOf(double wins, double draws, double losses) {
    const double n = wins + draws + losses;
    if (n == 0) return {};
    const double p = (wins + 0.5 * draws) / n;
    const double variance = (wins * (1 - p) * (1 - p) + draws * (0.5 - p) * (0.5 - p) + losses * p * p) / n;
    return {p, 1.96 * std::sqrt(variance / n)};
}

double Elo(double p) {
    p = std::clamp(p, 0.001, 0.999);
    return -400.0 * std::log10(1.0 / p - 1.0);
}

int RunMatch(const Player& first, const Player& second, double seconds, double increment, int games,
             int openingPlies, int maxPlies, const std::string& pgnPath) {
    EngineProcess a(first.program), b(second.program);
    for (auto [engine, player] : {std::pair{&a, &first}, std::pair{&b, &second}}) {
        if (!engine->Started() || !engine->Send("uci") || !engine->Await("uciok", Clock::now() + std::chrono::seconds(20))) {
            std::fprintf(stderr, "zarn-selfplay: %s does not speak UCI\n", player->program.c_str());
            return 1;
        }
        if (const auto error = SetOptions(*engine, *player)) {
            std::fprintf(stderr, "zarn-selfplay: %s\n", error->c_str());
            return 1;
        }
    }
    std::FILE* pgn = pgnPath.empty() ? nullptr : std::fopen(pgnPath.c_str(), "w");
    if (!pgnPath.empty() && !pgn) {
        std::fprintf(stderr, "zarn-selfplay: cannot write %s\n", pgnPath.c_str());
        return 1;
    }
    auto describe = [](const Player& player) {
        std::string text = "Zarn";
        for (const std::string& option : player.options) text += " " + option;
        return text;
    };
    std::printf("match: %s against %s, %g s + %g s a game, %d games\n", describe(first).c_str(),
                describe(second).c_str(), seconds, increment, games);
    double wins = 0, draws = 0, losses = 0;
    int forfeits = 0;
    for (int game = 0; game < games; game += 2) {
        const std::vector<std::string> opening = RandomOpening(openingPlies);
        std::string pair;
        for (const bool firstWhite : {true, false}) {
            if (game + (firstWhite ? 0 : 1) >= games) break;
            std::string error;
            const auto result = PlayMatchGame({&a, &b}, firstWhite, opening, seconds, increment, maxPlies, error);
            if (!result) {
                std::fprintf(stderr, "zarn-selfplay: game %d: %s\n", game + (firstWhite ? 1 : 2), error.c_str());
                return 1;
            }
            wins += result->first == 1.0;
            draws += result->first == 0.5;
            losses += result->first == 0.0;
            forfeits += result->termination == "time forfeit";
            pair += std::string(pair.empty() ? "" : ", ") + result->result + " (" + result->termination + ")";
            if (pgn) {
                std::fprintf(pgn, "[Event \"Zarn match\"]\n[Round \"%d\"]\n[White \"%s\"]\n[Black \"%s\"]\n",
                             game + (firstWhite ? 1 : 2), describe(firstWhite ? first : second).c_str(),
                             describe(firstWhite ? second : first).c_str());
                std::fprintf(pgn, "[Result \"%s\"]\n[Termination \"%s\"]\n\n%s\n", result->result.c_str(),
                             result->termination.c_str(), CompactMovetext(result->sans, result->result, false, false).c_str());
                std::fflush(pgn);
            }
        }
        const Score score = ScoreOf(wins, draws, losses);
        std::printf("games %3d  %s  first: +%g =%g -%g  score %.3f +- %.3f\n", static_cast<int>(wins + draws + losses),
                    pair.c_str(), wins, draws, losses, score.score, score.margin);
        std::fflush(stdout);
    }
    if (pgn) std::fclose(pgn);
    const Score score = ScoreOf(wins, draws, losses);
    std::printf("result: %s: +%g =%g -%g of %g games, %d lost on time; score %.1f %% +- %.1f %% (95 %%), "
                "Elo %+.0f (%+.0f to %+.0f)\n",
                describe(first).c_str(), wins, draws, losses, wins + draws + losses, forfeits, 100 * score.score,
                100 * score.margin, Elo(score.score), Elo(score.score - score.margin), Elo(score.score + score.margin));
    a.Quit();
    b.Quit();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string program;
    int games = 300;
    int maxPlies = 240;
    bool match = false;
    Player first, second;
    std::vector<std::string> shared;
    double seconds = 5, increment = 0.05;
    int openingPlies = 8;
    std::string pgnPath;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--match") {
            match = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "zarn-selfplay: %s needs a value\n", option.c_str());
            return 2;
        }
        const std::string value = argv[++i];
        if (option == "--engine") program = value;
        else if (option == "--engine2") second.program = value;
        else if (option == "--games") games = std::atoi(value.c_str());
        else if (option == "--seed") seed = std::strtoull(value.c_str(), nullptr, 10) | 1;
        else if (option == "--max-plies") maxPlies = std::atoi(value.c_str());
        else if (option == "--set") shared.push_back(value);
        else if (option == "--set1") first.options.push_back(value);
        else if (option == "--set2") second.options.push_back(value);
        else if (option == "--opening-plies") openingPlies = std::atoi(value.c_str());
        else if (option == "--pgn") pgnPath = value;
        else if (option == "--clock") {
            char* rest = nullptr;
            seconds = std::strtod(value.c_str(), &rest);
            increment = rest && *rest == '+' ? std::strtod(rest + 1, nullptr) : 0;
        } else {
            std::fprintf(stderr, "zarn-selfplay: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (program.empty()) {
        std::fprintf(stderr, "usage: zarn-selfplay --engine PATH [--games N] [--seed S] [--max-plies N]\n"
                             "       zarn-selfplay --match --engine PATH [--engine2 PATH] [--set NAME=VALUE]...\n"
                             "           [--set1 NAME=VALUE]... [--set2 NAME=VALUE]... [--clock SECONDS+INCREMENT]\n"
                             "           [--games N] [--seed S] [--opening-plies N] [--max-plies N] [--pgn FILE]\n");
        return 2;
    }
    if (zarn::cli::StartEngine(1) < 0) return 1;
    if (match) {
        first.program = program;
        if (second.program.empty()) second.program = program;
        first.options.insert(first.options.begin(), shared.begin(), shared.end());
        second.options.insert(second.options.begin(), shared.begin(), shared.end());
        if (seconds <= 0 || increment < 0 || games < 1 || openingPlies < 0) {
            std::fprintf(stderr, "zarn-selfplay: the clock, the games and the opening plies must be positive\n");
            return 2;
        }
        return RunMatch(first, second, seconds, increment, games, openingPlies, maxPlies == 240 ? 400 : maxPlies, pgnPath);
    }
    std::array<EngineProcess, 2> engines{EngineProcess(program), EngineProcess(program)};
    for (EngineProcess& engine : engines) {
        if (!engine.Started() || !engine.Send("uci") || !engine.Await("uciok", Clock::now() + std::chrono::seconds(20))) {
            std::fprintf(stderr, "zarn-selfplay: %s does not speak UCI\n", program.c_str());
            return 1;
        }
    }

    for (int game = 1; game <= games; ++game) {
        const std::array<int, 2> depths{2 + static_cast<int>(Random() % 3), 2 + static_cast<int>(Random() % 3)};  // Black, White
        for (EngineProcess& engine : engines) engine.Send("ucinewgame");
        zarn::cli::SetGameStart("");
        std::vector<std::string> coordinates, sans;
        std::map<std::string, int> seen{{Signature(), 1}};
        std::string result = "*", termination = "normal";
        const int openingPlies = 2 + static_cast<int>(Random() % 5);
        int quietPlies = 0;
        for (;;) {
            const std::vector<Move> legal = zarn::cli::LegalGameMoves();
            if (legal.empty()) {
                result = zarn::cli::SideToMoveInCheck() ? (zarn::SideToMove == zarn::White ? "0-1" : "1-0") : "1/2-1/2";
                break;
            }
            if (quietPlies >= 100 || BareMaterial() || seen[Signature()] >= 3) {
                result = "1/2-1/2";
                break;
            }
            if (static_cast<int>(sans.size()) >= maxPlies) {
                result = "1/2-1/2";
                termination = "adjudication";
                break;
            }
            Move move = 0;
            if (static_cast<int>(sans.size()) < openingPlies) {
                move = legal[Random() % legal.size()];
            } else {
                EngineProcess& engine = engines[zarn::SideToMove];
                std::string position = "position startpos";
                if (!coordinates.empty()) position += " moves";
                for (const std::string& m : coordinates) position += " " + m;
                engine.Send(position);
                engine.Send("go depth " + std::to_string(depths[zarn::SideToMove]));
                const auto best = engine.Await("bestmove ", Clock::now() + std::chrono::seconds(60));
                if (!best) {
                    std::fprintf(stderr, "zarn-selfplay: game %d: no best move\n", game);
                    return 1;
                }
                const std::string text = best->substr(9, best->find(' ', 9) - 9);
                for (Move candidate : legal)
                    if (zarn::cli::CoordinateMove(candidate) == text) move = candidate;
                if (move == 0) {
                    std::fprintf(stderr, "zarn-selfplay: game %d: illegal best move %s\n", game, text.c_str());
                    return 1;
                }
            }
            quietPlies = (zarn::MoveKind(move) == zarn::Pawn || zarn::MoveCaptured(move)) ? 0 : quietPlies + 1;
            sans.push_back(zarn::cli::WriteSan(move));
            coordinates.push_back(zarn::cli::CoordinateMove(move));
            zarn::cli::PlayGameMove(move);
            ++seen[Signature()];
        }

        std::printf("[Event \"Zarn self-play\"]\n[Site \"here\"]\n[Date \"2026.12.08\"]\n[Round \"%d\"]\n", game);
        std::printf("[White \"Zarn depth %d\"]\n[Black \"Zarn depth %d\"]\n[Result \"%s\"]\n", depths[1], depths[0],
                    result.c_str());
        std::printf("[PlyCount \"%zu\"]\n[Termination \"%s\"]\n\n", sans.size(), termination.c_str());
        switch (game % 3) {
            case 0: {  // export form
                zarn::cli::PgnGame written;
                for (const std::string& san : sans) {
                    zarn::cli::PgnMove move;
                    move.san = san;
                    written.mainLine.moves.push_back(move);
                }
                written.result = result;
                const std::string text = zarn::cli::WritePgn(written);
                std::fputs(text.c_str() + 1, stdout);  // without the empty tag section's line end
                continue;
            }
            case 1: std::fputs(CompactMovetext(sans, result, true, false).c_str(), stdout); break;
            default: std::fputs(CompactMovetext(sans, result, false, true).c_str(), stdout); break;
        }
        std::printf("\n");
    }
    return 0;
}

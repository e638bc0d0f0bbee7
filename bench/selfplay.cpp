// zarn-selfplay: two zarn programs play each other through UCI at small fixed depths from random
// openings, and the games are written as PGN in the forms people's files have (export form, one long
// line with clock comments, castling with zeros, promotions without =, move numbers without spaces),
// as material for zarn annotate. Moves are checked and written by the engine's own move generator.
//
//   zarn-selfplay --engine PATH [--games N] [--seed S] [--max-plies N] > games.pgn
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
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

}  // namespace

int main(int argc, char** argv) {
    std::string program;
    int games = 300;
    int maxPlies = 240;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--engine") program = argv[i + 1];
        else if (option == "--games") games = std::atoi(argv[i + 1]);
        else if (option == "--seed") seed = std::strtoull(argv[i + 1], nullptr, 10) | 1;
        else if (option == "--max-plies") maxPlies = std::atoi(argv[i + 1]);
        else {
            std::fprintf(stderr, "zarn-selfplay: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (program.empty()) {
        std::fprintf(stderr, "usage: zarn-selfplay --engine PATH [--games N] [--seed S] [--max-plies N]\n");
        return 2;
    }
    if (zarn::cli::StartEngine(1) < 0) return 1;
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

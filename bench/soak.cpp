// zarn-soak: two zarn programs play complete games against each other through UCI, refereed by the
// engine's own move generator; then one long infinite analysis ended by stop, and a game of 999 moves
// handed over at once, to the engine library and to the program. Prints what happened and exits 1 when
// any move or variation was illegal, a clock ran out, a program crashed, hung or reported a sanitizer
// error.
//
//   zarn-soak --engine PATH [--opponent PATH] [--games N] [--time MS] [--inc MS] [--max-plies N]
//             [--analysis-seconds S] [--logs DIR]
//
// The programs' UCI logs go to DIR, by default to a new folder zarn-soak-XXXXXX in the system's
// temporary folder; the last line but one names it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/board/board.h"
#include "engine/interface/zarn.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/moves.h"
#include "engine/search/stack.h"
#include "bench/bare_material.h"
#include "bench/engine_process.h"

namespace {

using zarn::bench::Clock;
using zarn::bench::EngineProcess;
using namespace std::chrono_literals;

std::int64_t MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string Join(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}


// The referee's board: the engine library in this process, set up and replayed through its exports.
class Referee {
public:
    explicit Referee() { ZarnInit(nullptr, "", 1024); }
    ~Referee() { ZarnQuit(); }

    void Reset(const std::string& fen) {
        fen_ = fen;
        moves_.clear();
        signatures_.clear();
        SetUp();
        ++signatures_[Signature()];
    }

    // Plays a move if it is written correctly and legal in the current position.
    bool Play(const std::string& move) {
        if (!WellFormed(move) || !IsLegal(move)) return false;
        const int ply = zarn::GamePly;
        std::vector<char> text(move.begin(), move.end());
        text.push_back('\0');
        ZarnSetGame(text.data());
        if (zarn::GamePly != ply + 1) return false;
        moves_.push_back(move);
        ++signatures_[Signature()];
        return true;
    }

    // Whether the move is among the legal moves of the current position (also past the replay limit).
    bool IsLegal(const std::string& move) const {
        const int count = zarn::GenerateLegalMoves(zarn::SideToMove);
        const int first = zarn::MoveStart(1);
        for (int i = first; i < first + count; ++i) {
            const zarn::Move m = zarn::MoveBuffer[i];
            std::string text{static_cast<char>('a' + zarn::FileOf(zarn::MoveFrom(m))),
                             static_cast<char>('1' + zarn::RankOf(zarn::MoveFrom(m))),
                             static_cast<char>('a' + zarn::FileOf(zarn::MoveTo(m))),
                             static_cast<char>('1' + zarn::RankOf(zarn::MoveTo(m)))};
            if (const int promotion = zarn::MovePromotion(m)) text += "xpnbrqk"[promotion];
            if (text == move) return true;
        }
        return false;
    }

    // Whether the moves form a legal line from the current position; the position is kept.
    bool LegalLine(const std::vector<std::string>& line) {
        bool legal = true;
        for (const std::string& move : line) {
            const int ply = zarn::GamePly;
            std::vector<char> text(move.begin(), move.end());
            text.push_back('\0');
            if (!WellFormed(move) || (ZarnSetGame(text.data()), zarn::GamePly != ply + 1)) {
                legal = false;
                break;
            }
        }
        SetUp();
        return legal;
    }

    std::string PositionCommand() const {
        std::string command = fen_.empty() ? "position startpos" : "position fen " + fen_;
        if (!moves_.empty()) command += " moves " + Join(moves_);
        return command;
    }

    std::size_t Plies() const { return moves_.size(); }
    int SideToMove() const { return zarn::SideToMove; }
    int LegalMoveCount() const { return zarn::GenerateLegalMoves(zarn::SideToMove); }
    bool InCheck() const { return zarn::InCheck(zarn::SideToMove) != 0; }
    int PliesSinceIrreversible() const { return zarn::GamePly - zarn::LastIrreversiblePly; }
    int Repetitions() { return signatures_[Signature()]; }

    bool BareMaterial() const { return zarn::bench::BareMaterial(); }

    static bool WellFormed(const std::string& move) {
        if (move.size() != 4 && move.size() != 5) return false;
        if (move[0] < 'a' || move[0] > 'h' || move[2] < 'a' || move[2] > 'h') return false;
        if (move[1] < '1' || move[1] > '8' || move[3] < '1' || move[3] > '8') return false;
        return move.size() == 4 || std::strchr("qrbn", move[4]) != nullptr;
    }

private:
    void SetUp() {
        if (fen_.empty()) {
            ZarnSetStartPosition();
        } else {
            std::vector<char> text(fen_.begin(), fen_.end());
            text.push_back('\0');
            ZarnSetPosition(text.data());
        }
        if (moves_.empty()) return;
        std::string joined = Join(moves_);
        std::vector<char> text(joined.begin(), joined.end());
        text.push_back('\0');
        ZarnSetGame(text.data());
    }

    // The position as repetition counts it: pieces, side, castling counters and en-passant square.
    std::string Signature() const {
        std::string text;
        for (const int piece : zarn::Board) text += static_cast<char>('a' + piece + 6);
        text += static_cast<char>('0' + zarn::SideToMove);
        for (const int square : {4, 0, 7, 60, 56, 63}) text += zarn::MoveCount[square] == 0 ? '0' : '1';
        text += std::to_string(zarn::SearchStack[0].EpSquareAfter);
        return text;
    }

    std::string fen_;
    std::vector<std::string> moves_;
    std::map<std::string, int> signatures_;
};

struct Opening {
    std::string fen;    // empty: the start position
    std::string moves;  // played before the engines take over
};

const Opening Openings[] = {
    {"", "e2e4 e7e5"},
    {"", "d2d4 d7d5 c2c4"},
    {"", "e2e4 c7c5 g1f3"},
    {"", "c2c4 e7e5 b1c3"},
    {"", "e2e4 e7e6 d2d4 d7d5"},
    {"", "d2d4 g8f6 c2c4 g7g6"},
    {"", "e2e4 c7c6 d2d4 d7d5"},
    {"", "g1f3 d7d5 g2g3"},
    {"", "f2f4 d7d5"},
    {"", "b2b3 e7e5"},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", ""},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", ""},
    {"4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1", ""},
    {"r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 1", ""},
};

struct Settings {
    std::string engine;
    std::string opponent;
    int games = 4;
    std::int64_t timeMs = 3000;
    std::int64_t incrementMs = 30;
    int maxPlies = 300;
    int analysisSeconds = 20;
    std::string logs;  // empty: a new temporary folder
};

struct Tally {
    int games = 0;
    int whiteWins = 0;
    int blackWins = 0;
    int draws = 0;
    std::map<std::string, int> endings;
    int illegalMoves = 0;
    int illegalVariations = 0;
    int timeForfeits = 0;
    int crashes = 0;
    int hangs = 0;
    int sanitizerReports = 0;
    int otherFailures = 0;
    std::int64_t longestMoveMs = 0;

    int Failures() const {
        return illegalMoves + illegalVariations + timeForfeits + crashes + hangs + sanitizerReports + otherFailures;
    }
};

// Waits for readyok; false when the program does not answer.
bool Ready(EngineProcess& engine) {
    return engine.Send("isready") && engine.Await("readyok", Clock::now() + 30s).has_value();
}

bool Handshake(EngineProcess& engine) {
    return engine.Started() && engine.Send("uci") && engine.Await("uciok", Clock::now() + 30s) && Ready(engine);
}

// The moves of a variation in an info line, if it has one.
std::vector<std::string> Variation(const std::string& info) {
    const std::vector<std::string> words = Words(info);
    const auto pv = std::find(words.begin(), words.end(), "pv");
    if (pv == words.end()) return {};
    return {pv + 1, words.end()};
}

enum class Outcome { WhiteWins, BlackWins, Draw, Broken };

Outcome PlayGame(EngineProcess& white, EngineProcess& black, const Opening& opening, const Settings& s,
                 Referee& referee, Tally& tally) {
    referee.Reset(opening.fen);
    for (const std::string& move : Words(opening.moves))
        if (!referee.Play(move)) {
            std::printf("  the opening move %s is illegal\n", move.c_str());
            ++tally.otherFailures;
            return Outcome::Broken;
        }
    for (EngineProcess* engine : {&white, &black})
        if (!engine->Send("ucinewgame") || !Ready(*engine)) {
            ++tally.hangs;
            return Outcome::Broken;
        }

    std::int64_t clock[2] = {s.timeMs, s.timeMs};  // Black 0, White 1
    auto ending = [&](const char* how, Outcome outcome) {
        ++tally.endings[how];
        return outcome;
    };
    for (int ply = 0;; ++ply) {
        const int side = referee.SideToMove();
        const Outcome loss = side == zarn::White ? Outcome::BlackWins : Outcome::WhiteWins;
        if (referee.LegalMoveCount() == 0)
            return referee.InCheck() ? ending("mate", loss) : ending("stalemate", Outcome::Draw);
        if (referee.PliesSinceIrreversible() >= 100) return ending("fifty moves", Outcome::Draw);
        if (referee.Repetitions() >= 3) return ending("repetition", Outcome::Draw);
        if (referee.BareMaterial()) return ending("material", Outcome::Draw);
        if (ply >= s.maxPlies) return ending("adjudicated", Outcome::Draw);

        EngineProcess& mover = side == zarn::White ? white : black;
        const std::string go = "go wtime " + std::to_string(clock[1]) + " btime " + std::to_string(clock[0]) +
                               " winc " + std::to_string(s.incrementMs) + " binc " + std::to_string(s.incrementMs);
        const auto started = Clock::now();
        std::vector<std::string> infos;
        std::optional<std::string> best;
        if (mover.Send(referee.PositionCommand()) && mover.Send(go))
            best = mover.Await("bestmove", started + std::chrono::milliseconds(clock[side] + 10000), &infos);
        const std::int64_t spent = MillisecondsSince(started);
        tally.longestMoveMs = std::max(tally.longestMoveMs, spent);
        if (!best) {
            std::printf("  %s gave no move (%s)\n", side == zarn::White ? "White" : "Black", mover.Log().c_str());
            ++tally.hangs;
            return Outcome::Broken;
        }
        clock[side] -= spent;
        if (clock[side] < 0) {
            std::printf("  %s lost on time: %lld ms over after %lld ms\n", side == zarn::White ? "White" : "Black",
                        static_cast<long long>(-clock[side]), static_cast<long long>(spent));
            ++tally.timeForfeits;
            return ending("time", loss);
        }
        clock[side] += s.incrementMs;

        // The last variation must be a legal line from the position searched.
        for (auto info = infos.rbegin(); info != infos.rend(); ++info) {
            const std::vector<std::string> line = Variation(*info);
            if (line.empty()) continue;
            if (!referee.LegalLine(line)) {
                std::printf("  illegal variation after %s: %s\n", referee.PositionCommand().c_str(), info->c_str());
                ++tally.illegalVariations;
            }
            break;
        }

        const std::vector<std::string> words = Words(*best);
        const std::string move = words.size() > 1 ? words[1] : "";
        if (!referee.Play(move)) {
            std::printf("  illegal move '%s' after %s\n", best->c_str(), referee.PositionCommand().c_str());
            ++tally.illegalMoves;
            return ending("illegal move", loss);
        }
    }
}

// Sanitizer reports in a program's error output.
int SanitizerReports(const std::string& log) {
    std::ifstream in(log);
    int reports = 0;
    for (std::string line; std::getline(in, line);)
        if (line.find("ERROR: AddressSanitizer") != std::string::npos ||
            line.find("ERROR: LeakSanitizer") != std::string::npos ||
            line.find("WARNING: ThreadSanitizer") != std::string::npos || line.find("runtime error:") != std::string::npos)
            ++reports;
    return reports;
}

// Quits the program and counts a crash or sanitizer report.
void Retire(EngineProcess& engine, Tally& tally) {
    if (!engine.Quit()) {
        std::printf("  %s did not end cleanly (see %s)\n", "a program", engine.Log().c_str());
        ++tally.crashes;
    }
    if (const int reports = SanitizerReports(engine.Log())) {
        std::printf("  %d sanitizer report(s) in %s\n", reports, engine.Log().c_str());
        tally.sanitizerReports += reports;
    }
}

void PlayMatch(const Settings& s, Referee& referee, Tally& tally) {
    EngineProcess first(s.engine, s.logs + "/first.log");
    EngineProcess second(s.opponent.empty() ? s.engine : s.opponent, s.logs + "/second.log");
    if (!Handshake(first) || !Handshake(second)) {
        std::printf("  a program did not start\n");
        ++tally.crashes;
        return;
    }
    constexpr int openingCount = static_cast<int>(std::size(Openings));
    for (int game = 0; game < s.games; ++game) {
        // Each opening twice, the colours exchanged.
        const Opening& opening = Openings[(game / 2) % openingCount];
        EngineProcess& white = game % 2 == 0 ? first : second;
        EngineProcess& black = game % 2 == 0 ? second : first;
        const auto started = Clock::now();
        const Outcome outcome = PlayGame(white, black, opening, s, referee, tally);
        ++tally.games;
        const char* result = "broken off";
        switch (outcome) {
            case Outcome::WhiteWins: ++tally.whiteWins; result = "1-0"; break;
            case Outcome::BlackWins: ++tally.blackWins; result = "0-1"; break;
            case Outcome::Draw: ++tally.draws; result = "1/2-1/2"; break;
            case Outcome::Broken: break;
        }
        std::printf("game %d (%s, first program %s): %s after %zu plies, %lld s\n", game + 1,
                    opening.fen.empty() ? opening.moves.c_str() : opening.fen.c_str(),
                    game % 2 == 0 ? "White" : "Black", result, referee.Plies(),
                    static_cast<long long>(MillisecondsSince(started) / 1000));
        std::fflush(stdout);
        if (outcome == Outcome::Broken) break;
    }
    Retire(first, tally);
    Retire(second, tally);
}

// One infinite analysis for the given time, then stop: the best move comes at once and is legal.
void LongAnalysis(const Settings& s, Referee& referee, Tally& tally) {
    EngineProcess engine(s.engine, s.logs + "/analysis.log");
    if (!Handshake(engine)) {
        ++tally.crashes;
        return;
    }
    const Opening& opening = Openings[10];
    referee.Reset(opening.fen);
    engine.Send(referee.PositionCommand());
    engine.Send("go infinite");
    std::vector<std::string> infos;
    const auto stopAt = Clock::now() + std::chrono::seconds(s.analysisSeconds);
    const std::optional<std::string> early = engine.Await("bestmove", stopAt, &infos);
    std::optional<std::string> best = early;
    const auto stopped = Clock::now();
    if (!early) {
        engine.Send("stop");
        best = engine.Await("bestmove", Clock::now() + 10s, &infos);
    }
    int depth = 0;
    for (const std::string& info : infos) {
        const std::vector<std::string> words = Words(info);
        if (words.size() > 2 && words[0] == "info" && words[1] == "depth") depth = std::max(depth, std::atoi(words[2].c_str()));
    }
    if (early) {
        std::printf("  the infinite analysis ended by itself: %s\n", early->c_str());
        ++tally.otherFailures;
    } else if (!best) {
        std::printf("  no best move after stop\n");
        ++tally.hangs;
    } else {
        const std::vector<std::string> words = Words(*best);
        const bool legal = words.size() > 1 && referee.IsLegal(words[1]);
        if (!legal) ++tally.illegalMoves;
        std::printf("long analysis: %d s, depth %d, %s %s in %lld ms after stop\n", s.analysisSeconds, depth,
                    best->c_str(), legal ? "(legal)" : "(ILLEGAL)", static_cast<long long>(MillisecondsSince(stopped)));
    }
    Retire(engine, tally);
}

// Knights out and back, 999 moves: the most the engine replays. In this process through ZarnSetGame,
// then through the program, which must answer from the position after the last move.
void LongestGame(const Settings& s, Referee& referee, Tally& tally) {
    const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    std::vector<std::string> moves;
    for (int i = 0; i < 1000; ++i) moves.emplace_back(cycle[i % 4]);

    ZarnSetStartPosition();
    std::string all = Join(moves);
    std::vector<char> text(all.begin(), all.end());
    text.push_back('\0');
    ZarnSetGame(text.data());
    const int replayed = zarn::GamePly;
    ZarnSetDepth(4);
    const int result = ZarnAnalyse(0);
    const bool libraryOk = replayed == 999 && result == 0;
    std::printf("999-move game: the library replayed %d of 1000 moves, analysis %s\n", replayed,
                result == 0 ? "found a move" : "found none");

    moves.pop_back();
    referee.Reset("");
    for (const std::string& move : moves) referee.Play(move);
    EngineProcess engine(s.engine, s.logs + "/longest-game.log");
    std::optional<std::string> best;
    if (Handshake(engine) && engine.Send(referee.PositionCommand()) && engine.Send("go depth 4"))
        best = engine.Await("bestmove", Clock::now() + 60s);
    const std::vector<std::string> words = best ? Words(*best) : std::vector<std::string>{};
    const bool programOk = words.size() > 1 && referee.IsLegal(words[1]);
    std::printf("999-move game: the program answered %s %s\n", best ? best->c_str() : "nothing",
                programOk ? "(legal)" : "(NOT LEGAL)");
    if (!libraryOk || !programOk) ++tally.otherFailures;
    Retire(engine, tally);
}

bool ParseArguments(int argc, char** argv, Settings& s) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (arg == "--engine") s.engine = value;
        else if (arg == "--opponent") s.opponent = value;
        else if (arg == "--games") s.games = std::atoi(value);
        else if (arg == "--time") s.timeMs = std::atoll(value);
        else if (arg == "--inc") s.incrementMs = std::atoll(value);
        else if (arg == "--max-plies") s.maxPlies = std::atoi(value);
        else if (arg == "--analysis-seconds") s.analysisSeconds = std::atoi(value);
        else if (arg == "--logs") s.logs = value;
        else return false;
    }
    return !s.engine.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Settings s;
    if (!ParseArguments(argc, argv, s)) {
        std::fprintf(stderr,
                     "usage: zarn-soak --engine PATH [--opponent PATH] [--games N] [--time MS] [--inc MS]\n"
                     "                 [--max-plies N] [--analysis-seconds S] [--logs DIR]\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    if (s.logs.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarn-soak-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("zarn-soak: cannot make a folder for the logs");
            return 2;
        }
        s.logs = pattern;
    } else {
        std::filesystem::create_directories(s.logs);
    }
    Referee referee;
    Tally tally;

    std::printf("%d games at %lld ms + %lld ms a move\n", s.games, static_cast<long long>(s.timeMs),
                static_cast<long long>(s.incrementMs));
    PlayMatch(s, referee, tally);
    if (s.analysisSeconds > 0) LongAnalysis(s, referee, tally);
    LongestGame(s, referee, tally);

    std::string endings;
    for (const auto& [how, count] : tally.endings) endings += (endings.empty() ? "" : ", ") + how + " " + std::to_string(count);
    std::printf("games %d: White won %d, Black won %d, drawn %d (%s); longest move %lld ms\n", tally.games,
                tally.whiteWins, tally.blackWins, tally.draws, endings.c_str(), static_cast<long long>(tally.longestMoveMs));
    std::printf("illegal moves %d, illegal variations %d, time forfeits %d, crashes %d, hangs %d, sanitizer reports %d, "
                "other failures %d\n",
                tally.illegalMoves, tally.illegalVariations, tally.timeForfeits, tally.crashes, tally.hangs,
                tally.sanitizerReports, tally.otherFailures);
    std::printf("logs in %s\n", s.logs.c_str());
    std::printf("soak: %s\n", tally.Failures() == 0 ? "clean" : "FAILED");
    return tally.Failures() == 0 ? 0 : 1;
}

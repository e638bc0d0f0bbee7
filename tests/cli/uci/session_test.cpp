// Scripted UCI sessions against the real engine.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/uci/position.h"
#include "engine/board/board.h"
#include "engine/interface/options.h"
#include "engine/interface/zarn.h"
#include "engine/search/extra_limits.h"
#include "engine/search/hash.h"
#include "engine/threads/pool.h"
#include "platform/platform.h"
#include "tests/cli/uci/session_harness.h"

namespace zarn::cli {
namespace {

using namespace std::chrono_literals;
using testing::SessionHarness;
using testing::StartsWith;
using testing::TestClock;

// What a move's messages to and from the interface cost on top of the search, in a game on the test's
// clock.
constexpr std::int64_t MessageLagMs = 2;

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool HasLineStartingWith(const std::vector<std::string>& lines, std::string_view prefix) {
    for (const std::string& line : lines)
        if (StartsWith(line, prefix)) return true;
    return false;
}

// The moves after "pv" in an info line.
std::vector<std::string> PvOf(const std::string& line) {
    std::vector<std::string> words = Words(line), moves;
    bool inPv = false;
    for (const std::string& word : words) {
        if (inPv) moves.push_back(word);
        if (word == "pv") inPv = true;
    }
    return moves;
}

// True when the moves can be played one after the other from the record's position.
bool Playable(PositionRecord record, const std::vector<std::string>& moves) {
    record.moves.insert(record.moves.end(), moves.begin(), moves.end());
    return ApplyPosition(record).empty();
}

struct BoardSnapshot {
    std::vector<int> board;
    int side;
    int gamePly;
    bool operator==(const BoardSnapshot&) const = default;
};

BoardSnapshot Snapshot() { return {std::vector<int>(Board, Board + 64), SideToMove, GamePly}; }

TEST(UciSession, IdentifiesItselfAndAdvertisesEngineAndProgramOptions) {
    SessionHarness harness;
    harness.Send("uci");
    ASSERT_EQ(harness.Await("uciok"), "uciok");
    const std::vector<std::string> lines = harness.Recent();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], std::string("id name ") + ZarnGetVersion());
    EXPECT_EQ(lines[1], std::string("id author ") + ZarnGetAuthor());
    std::size_t next = 2;
    for (const char* const* option = ZarnGetParamList(); *option; ++option, ++next) {
        ASSERT_LT(next, lines.size());
        EXPECT_EQ(lines[next], *option);
    }
    EXPECT_EQ(lines.at(next), "option name Hash type spin default 64 min 1 max " + std::to_string(MaxProgramHashMb));
    EXPECT_EQ(lines.at(next + 1), "option name Clear Hash type button");
    EXPECT_EQ(lines.at(next + 2), "option name Ponder type check default false");
    EXPECT_EQ(lines.at(next + 3), "option name MultiPV type spin default 1 min 1 max 64");
    EXPECT_EQ(lines.at(next + 4), "option name Threads type spin default 1 min 1 max " + std::to_string(MaxSearchThreads));
    EXPECT_EQ(lines.back(), "uciok");

    harness.Send("isready");
    EXPECT_EQ(harness.Await("readyok", 1s), "readyok");
}

TEST(UciSession, PositionMovesCastleCaptureEnPassantAndPromote) {
    SessionHarness harness;
    harness.Send("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1");
    EXPECT_EQ(Board[G1], King);
    EXPECT_EQ(Board[F1], Rook);
    EXPECT_EQ(Board[E1], Empty);
    EXPECT_EQ(SideToMove, Black);

    harness.Send("position startpos moves e2e4 a7a6 e4e5 d7d5 e5d6");
    EXPECT_EQ(Board[D6], Pawn);
    EXPECT_EQ(Board[D5], Empty);

    harness.Send("position fen 8/P6k/8/8/8/8/8/K7 w - - 0 1 moves a7a8n");
    EXPECT_EQ(Board[A8], Knight);
    harness.Send("position fen k7/8/8/8/8/8/p6K/8 b - - 0 1 moves a2a1r");
    EXPECT_EQ(Board[A1], -Rook);
    harness.Send("position fen 7k/1P6/8/8/8/8/8/K7 w - - 0 1 moves b7b8Q");  // capital letter accepted too
    EXPECT_EQ(Board[B8], Queen);
    EXPECT_FALSE(HasLineStartingWith(harness.All(), "info string"));
}

TEST(UciSession, MalformedInputGetsAnInfoStringAndChangesNothing) {
    SessionHarness harness;
    harness.Send("position startpos moves e2e4 e7e5");
    const BoardSnapshot before = Snapshot();
    const std::vector<std::string> malformed = {
        "position startpos moves g1f3 b8c6 e1e3",                              // illegal move
        "position startpos moves e2e4 e7e5 e7e8q",                             // no pawn there
        "position startpos moves e2e9",                                        // not a move
        "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq -",  // side
        "position fen rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",  // rank too long
        "position fen 8/8/8/8/8/8/8/8 w - -",                                  // no kings
        "position fen 4k3/8/8/8/8/8/8/4R2K w - - 0 1",                         // side not to move in check
        "position fen " + std::string(5000, 'p'),
        "position",
        "position sideways",
        "position startpos e2e4",
        "setoption name Hash value lots",
        "setoption name NoSuchOption value 3",
        "setoption name DrawScore value 1.5",
        "setoption value 3",
        "ponderhit",
        "flip the board",
    };
    for (const std::string& command : malformed) {
        harness.Send(command);
        const std::vector<std::string> answer = harness.Recent();
        ASSERT_EQ(answer.size(), 1u) << command;
        EXPECT_TRUE(StartsWith(answer[0], "info string ")) << command << " -> " << answer[0];
        EXPECT_EQ(Snapshot(), before) << command;
    }
    harness.Send("go depth 1");
    const std::vector<std::string> best = Words(harness.Await("bestmove"));
    ASSERT_GE(best.size(), 2u);
    EXPECT_TRUE(Playable({true, "", {"e2e4", "e7e5"}}, {best[1]})) << best[1];
}

TEST(UciSession, DubiousFenFieldsAreDroppedWithANote) {
    SessionHarness harness;
    // No rook on h1 for K, and no black pawn can have passed e6.
    harness.Send("position fen 4k3/8/8/8/8/8/8/R3K3 w KQ e6 0 1");
    const std::vector<std::string> notes = harness.Recent();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("castling right K"), std::string::npos);
    EXPECT_NE(notes[1].find("en-passant square e6"), std::string::npos);
    EXPECT_EQ(Board[A1], Rook);
    harness.Send("position fen 4k3/8/8/8/8/8/8/R3K3 w KQ e6 0 1 moves e1c1");  // the queen side still castles
    EXPECT_EQ(Board[C1], King);
    EXPECT_EQ(Board[D1], Rook);
}

TEST(UciSession, OptionsReachTheEngineAndSurviveANewHashSize) {
    SessionHarness harness;
    harness.Send("position startpos moves d2d4");
    harness.Send("setoption name drawscore value 80");  // names are not case-sensitive; the value is clamped
    EXPECT_TRUE(StartsWith(harness.Await("info string", 0ms), "info string setoption: DrawScore set to 50"));
    harness.Send("setoption name BlitzPlayingSpeed value 30");
    EXPECT_TRUE(harness.Recent().empty());
    EXPECT_EQ(Options.DrawScore, 50);
    // A new hash size changes neither the options nor the position.
    harness.Send("setoption name Hash value 2");
    EXPECT_TRUE(harness.Recent().empty());
    EXPECT_EQ(Options.DrawScore, 50);
    EXPECT_EQ(Options.BlitzPlayingSpeed, 30);
    EXPECT_EQ(Board[D4], Pawn);
    EXPECT_EQ(SideToMove, Black);
    harness.Send("setoption name Clear Hash");
    harness.Send("ucinewgame");
    EXPECT_TRUE(harness.Recent().empty());
}

TEST(UciSession, NoLegalMoveGivesBestmove0000) {
    SessionHarness harness;
    for (const char* position : {"position fen R6k/6pp/8/8/8/8/8/K7 b - - 0 1",  // mated
                                 "position fen k7/8/1Q6/8/8/8/8/K7 b - - 0 1"}) {  // stalemated
        harness.Send(position);
        harness.Send("go depth 3");
        EXPECT_EQ(harness.Await("bestmove"), "bestmove 0000") << position;
        harness.Session().WaitForSearchEnd();
    }
}

TEST(UciSession, InfiniteSearchWaitsForStopEvenWhenTheEngineIsDone) {
    SessionHarness harness;
    harness.Send("position fen k7/2K5/8/8/8/8/8/1R6 b - - 0 1");  // Ka7 is the only move
    harness.Send("go infinite");
    // With one move the engine searches five plies; its report of the fifth is its last act.
    ASSERT_NE(harness.Await("info depth 5 "), "");
    std::this_thread::sleep_for(100ms);
    harness.Send("isready");
    EXPECT_EQ(harness.Await("readyok", 1s), "readyok");
    EXPECT_FALSE(HasLineStartingWith(harness.All(), "bestmove"));
    harness.Send("stop");
    EXPECT_TRUE(StartsWith(harness.Await("bestmove", 0ms), "bestmove a8a7"));
}

TEST(UciSession, StopRightAfterGoIsNotLost) {
    SessionHarness harness;
    harness.Send("position startpos");
    for (int round = 0; round < 20; ++round) {
        harness.Send("go infinite");
        harness.Send("stop");
        EXPECT_TRUE(StartsWith(harness.Await("bestmove", 0ms), "bestmove ")) << round;
    }
}

TEST(UciSession, IsreadyIsAnsweredWhileSearching) {
    SessionHarness harness;
    harness.Send("position startpos");
    harness.Send("go infinite");
    std::this_thread::sleep_for(100ms);
    harness.Send("isready");
    EXPECT_EQ(harness.Await("readyok", 0ms), "readyok");
    EXPECT_TRUE(harness.Session().Searching());
    // Commands that would change the engine are refused until the search is stopped.
    harness.Send("position startpos moves e2e4");
    EXPECT_TRUE(StartsWith(harness.Await("info string", 0ms), "info string position: refused"));
    harness.Send("stop");
    EXPECT_TRUE(StartsWith(harness.Await("bestmove", 0ms), "bestmove "));
    EXPECT_FALSE(harness.Session().Searching());
}

// The timing claims below are made on the test's clock, on which time passes only while the session
// pauses to watch the search, however busy the machine.

TEST(UciSession, AClockOf100MillisecondsGetsItsMoveInTime) {
    TestClock clock(0, TestClock::PausesPass);
    SessionHarness harness(clock);
    for (const char* go : {"go wtime 100 btime 100", "go wtime 100 btime 100 movestogo 1",
                           "go wtime 100 btime 5000 winc 100 binc 100", "go wtime 0 btime 0"}) {
        harness.Send("position startpos");
        const std::int64_t start = clock.Peek();
        harness.Send(go);
        const std::string best = harness.Await("bestmove");
        harness.Session().WaitForSearchEnd();
        EXPECT_LT(clock.Peek() - start, 100) << go;
        EXPECT_TRUE(StartsWith(best, "bestmove ")) << go;
        EXPECT_NE(best, "bestmove 0000") << go;
    }
}

TEST(UciSession, ASuddenDeathGameOfOneSecondIsNotLostOnTime) {
    TestClock clock(0, TestClock::PausesPass);
    SessionHarness harness(clock);
    std::int64_t clocks[2] = {1000, 1000};
    std::string moves;
    for (int ply = 0; ply < 120; ++ply) {
        harness.Send("position startpos moves" + moves);
        const std::int64_t start = clock.Peek();
        harness.Send("go wtime " + std::to_string(clocks[0]) + " btime " + std::to_string(clocks[1]));
        const std::vector<std::string> best = Words(harness.Await("bestmove"));
        harness.Session().WaitForSearchEnd();
        // The messages to and from the interface cost a little too.
        clocks[ply % 2] -= clock.Peek() - start + MessageLagMs;
        ASSERT_GT(clocks[ply % 2], 0) << "ply " << ply << moves;
        ASSERT_EQ(best.size() >= 2 ? best[0] : "", "bestmove");
        if (best[1] == "0000") break;
        moves += " " + best[1];
    }
}

TEST(UciSession, PonderWaitsForPonderhitThenMovesWithinTheClock) {
    TestClock clock(1);
    SessionHarness harness(clock);
    harness.Send("setoption name Ponder value true");
    harness.Send("position startpos moves e2e4");
    harness.Send("go ponder wtime 1000 btime 1000");
    // An hour passes once the analysis has begun: the search goes on, and shows its root moves as it
    // does after the first second.
    ASSERT_TRUE(testing::WaitUntil([&] { return clock.EngineReadings() > 0; }));
    clock.Advance(3'600'000);
    EXPECT_TRUE(harness.AwaitLinesWith(" currmove ", 2));
    EXPECT_FALSE(HasLineStartingWith(harness.All(), "bestmove"));
    const std::int64_t hit = clock.Peek();
    harness.Send("ponderhit");
    const std::vector<std::string> best = Words(harness.Await("bestmove"));
    harness.Session().WaitForSearchEnd();
    EXPECT_LT(clock.Peek() - hit, 1000);
    ASSERT_GE(best.size(), 2u);
    EXPECT_TRUE(Playable({true, "", {"e2e4"}}, {best[1]})) << best[1];
}

TEST(UciSession, DepthSearchReportsVariationsAndPlaysTheirFirstMove) {
    SessionHarness harness;
    harness.Send("position startpos moves e2e4");
    harness.Send("go depth 6");
    const std::vector<std::string> best = Words(harness.Await("bestmove", 60s));
    harness.Session().WaitForSearchEnd();
    ASSERT_GE(best.size(), 2u);
    std::string lastExact;
    for (const std::string& line : harness.All())
        if (StartsWith(line, "info depth") && line.find(" pv ") != std::string::npos &&
            line.find("bound") == std::string::npos)
            lastExact = line;
    ASSERT_NE(lastExact, "") << "no exact variation was reported";

    for (const char* field : {" score ", " nodes ", " nps ", " time ", " pv "})
        EXPECT_NE(lastExact.find(field), std::string::npos) << field << " in " << lastExact;
    EXPECT_TRUE(StartsWith(lastExact, "info depth 6 ")) << lastExact;
    const std::vector<std::string> pv = PvOf(lastExact);
    ASSERT_FALSE(pv.empty());
    EXPECT_TRUE(Playable({true, "", {"e2e4"}}, pv)) << lastExact;
    EXPECT_EQ(best[1], pv[0]);
    if (pv.size() > 1) {
        ASSERT_EQ(best.size(), 4u);
        EXPECT_EQ(best[2], "ponder");
        EXPECT_EQ(best[3], pv[1]);
    }
}

TEST(UciSession, MateScoresAreGivenInMoves) {
    SessionHarness harness;
    harness.Send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    harness.Send("go depth 6");
    EXPECT_EQ(harness.Await("bestmove"), "bestmove a1a8");
    const std::string report = harness.Await("info depth 6 ");
    EXPECT_NE(report.find(" score mate 1 "), std::string::npos) << report;
}

TEST(UciSession, MovetimeSearchEndsEarlyOnStop) {
    TestClock clock(0);  // stands still: only the stop can end the search
    SessionHarness harness(clock);
    harness.Send("position startpos");
    harness.Send("go movetime 20000");
    std::this_thread::sleep_for(100ms);
    // The stop returns once the search has ended; should it not, the move time is let run out.
    auto stopped = std::async(std::launch::async, [&] { harness.Send("stop"); });
    if (stopped.wait_for(20s) != std::future_status::ready) {
        ADD_FAILURE() << "the stop did not end the search";
        clock.Advance(20000);
    }
    stopped.get();
    EXPECT_TRUE(StartsWith(harness.Await("bestmove", 0ms), "bestmove "));
}

TEST(UciSession, CommandsFromAStreamWaitForAFiniteSearchOnTheSessionsClock) {
    TestClock clock(10);
    std::ostringstream out;
    UciSession session(out, clock, 1);
    // The second position waits until the first search has used its 500 ms of the session's clock.
    std::istringstream in("position startpos\ngo movetime 500\nposition startpos moves e2e4\ngo depth 1\nquit\n");
    EXPECT_EQ(session.Run(in), 0);
    std::vector<std::string> bestMoves;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);)
        if (StartsWith(line, "bestmove ")) bestMoves.push_back(Words(line)[1]);
    ASSERT_EQ(bestMoves.size(), 2u) << out.str();
    EXPECT_TRUE(Playable({true, "", {}}, {bestMoves[0]})) << bestMoves[0];
    EXPECT_TRUE(Playable({true, "", {"e2e4"}}, {bestMoves[1]})) << bestMoves[1];
}

TEST(UciSession, QuitAndEndOfInputEndTheSession) {
    std::ostringstream out;
    {
        UciSession session(out, SystemClock(), 1);
        std::istringstream in("position startpos\ngo infinite\nquit\nisready\n");
        EXPECT_EQ(session.Run(in), 0);
    }
    EXPECT_EQ(out.str().find("readyok"), std::string::npos);  // nothing after quit
    EXPECT_NE(out.str().find("bestmove "), std::string::npos);
    std::ostringstream out2;
    UciSession session(out2, SystemClock(), 1);
    std::istringstream in("go infinite\n");
    EXPECT_EQ(session.Run(in), 0);
    EXPECT_NE(out2.str().find("bestmove "), std::string::npos);
}

// The words of a line without the fields that vary from run to run: the timings, and the filling of
// the table (a fresh engine draws new keys).
std::string WithoutVaryingFields(const std::string& line) {
    std::vector<std::string> words = Words(line);
    std::string kept;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if ((words[i] == "nps" || words[i] == "time" || words[i] == "hashfull") && i + 1 < words.size()) {
            ++i;
            continue;
        }
        kept += words[i] + " ";
    }
    return kept;
}

std::string FieldAfter(const std::string& line, const std::string& field) {
    const std::vector<std::string> words = Words(line);
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == field) return words[i + 1];
    return "";
}

TEST(UciSession, EveryGoEndsInBestmoveWhateverItsParameters) {
    SessionHarness harness;
    // What is understood is searched; what is not gets one note.
    for (const char* go : {"go wtime 1000 btime 1000 winc 10 binc 10 sd 5", "go depth 2 bogus 3", "go depth -3 depth 2",
                           "go depth 0 movetime 100", "go depth abc nodes 3000"}) {
        harness.Send("position startpos moves e2e4");
        harness.Send(go);
        const std::vector<std::string> best = Words(harness.Await("bestmove"));
        harness.Session().WaitForSearchEnd();
        ASSERT_GE(best.size(), 2u) << go;
        EXPECT_TRUE(Playable({true, "", {"e2e4"}}, {best[1]})) << go;
        int notes = 0;
        for (const std::string& line : harness.Recent()) notes += StartsWith(line, "info string go: ") ? 1 : 0;
        EXPECT_EQ(notes, 1) << go;
    }
    // Nothing understood: a bare go, which gives its move on stop.
    const std::string garbage(1 << 20, 'q');
    for (const std::string& go : std::vector<std::string>{"go depth abc", "go depth 0", "go bogus 3", "go " + garbage}) {
        harness.Send(go);
        const std::string note = harness.Await("info string", 0ms);
        EXPECT_LT(note.size(), 140u) << note;
        harness.Send("stop");
        EXPECT_TRUE(StartsWith(harness.Await("bestmove", 0ms), "bestmove ")) << go.substr(0, 20);
    }
    harness.Send(garbage);
    EXPECT_LT(harness.Await("info string", 0ms).size(), 120u);
}

TEST(UciSession, NodesAndMateLimitsEndTheSearchByThemselves) {
    SessionHarness harness;
    harness.Send("position startpos");
    harness.Send("go nodes 20000");
    EXPECT_TRUE(StartsWith(harness.Await("bestmove"), "bestmove "));
    harness.Session().WaitForSearchEnd();
    // Mate in two (Kg6 or Kf7, then the rook mates): found, reported in moves, played.
    harness.Send("position fen 7k/8/5K2/8/8/8/8/R7 w - - 0 1");
    harness.Send("go mate 2");
    const std::vector<std::string> best = Words(harness.Await("bestmove"));
    harness.Session().WaitForSearchEnd();
    std::string last;
    for (const std::string& line : harness.Recent())
        if (line.find(" pv ") != std::string::npos) last = line;
    EXPECT_NE(last.find(" score mate 2 "), std::string::npos) << last;
    ASSERT_GE(best.size(), 2u);
    EXPECT_EQ(best[1], PvOf(last).at(0));
    // No mate to find: the move time ends it.
    harness.Send("position startpos");
    harness.Send("go mate 1 movetime 200");
    EXPECT_TRUE(StartsWith(harness.Await("bestmove"), "bestmove "));
}

TEST(UciSession, BestmoveIsTheSearchsOwnChoiceAndComesWithItsLine) {
    SessionHarness harness;
    // Below the five plies of the engine's own reports the program reports every depth from 1 on;
    // the last line shown is played, its second move pondered.
    harness.Send("position startpos moves e2e4");
    harness.Send("go depth 3");
    const std::vector<std::string> best = Words(harness.Await("bestmove"));
    harness.Session().WaitForSearchEnd();
    std::vector<std::string> infos, depths;
    for (const std::string& line : harness.Recent()) {
        if (!StartsWith(line, "info ")) continue;
        infos.push_back(line);
        const std::string depth = FieldAfter(line, "depth");
        if (depths.empty() || depths.back() != depth) depths.push_back(depth);
    }
    EXPECT_EQ(depths, (std::vector<std::string>{"1", "2", "3"}));
    const std::string& last = infos.back();
    for (const char* field : {"depth", "seldepth", "score", "nodes", "hashfull", "pv"})
        EXPECT_NE(FieldAfter(last, field), "") << field << " in " << last;
    const std::vector<std::string> pv = PvOf(last);
    EXPECT_TRUE(Playable({true, "", {"e2e4"}}, pv)) << last;
    ASSERT_EQ(best.size(), 4u);
    EXPECT_EQ(best[1], pv.at(0));
    EXPECT_EQ(best[3], pv.at(1));
    // Stopped in the middle of an iteration: the last exact line shown is the move played.
    for (const char* go : {"go nodes 400", "go nodes 3000", "go nodes 30000"}) {
        harness.Send("position startpos moves e2e4");
        harness.Send(go);
        const std::vector<std::string> played = Words(harness.Await("bestmove"));
        harness.Session().WaitForSearchEnd();
        std::string last;
        for (const std::string& line : harness.Recent())
            if (line.find(" pv ") != std::string::npos && line.find("bound") == std::string::npos) last = line;
        ASSERT_GE(played.size(), 2u) << go;
        EXPECT_EQ(played[1], PvOf(last).at(0)) << go << ": " << last;
    }
    // Stopped inside the first root move there is no result: a legal move is played all the same.
    harness.Send("position startpos moves e2e4");
    harness.Send("go nodes 1");
    const std::vector<std::string> forced = Words(harness.Await("bestmove"));
    ASSERT_GE(forced.size(), 2u);
    harness.Session().WaitForSearchEnd();
    EXPECT_TRUE(Playable({true, "", {"e2e4"}}, {forced[1]})) << forced[1];
}

TEST(UciSession, MultiPvReportsDistinctLinesBestFirst) {
    SessionHarness harness;
    harness.Send("setoption name MultiPV value 3");
    harness.Send("position startpos moves e2e4");
    harness.Send("go depth 5");
    const std::vector<std::string> best = Words(harness.Await("bestmove"));
    harness.Session().WaitForSearchEnd();
    std::vector<std::string> lines;
    for (const std::string& line : harness.Recent())
        if (StartsWith(line, "info depth")) lines.push_back(line);
    ASSERT_EQ(lines.size(), 15u);  // three lines at each of five depths
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        EXPECT_EQ(FieldAfter(line, "depth"), std::to_string(i / 3 + 1)) << line;
        EXPECT_EQ(FieldAfter(line, "multipv"), std::to_string(i % 3 + 1)) << line;
        EXPECT_TRUE(Playable({true, "", {"e2e4"}}, PvOf(line))) << line;
        if (i % 3 == 0) continue;
        EXPECT_NE(PvOf(line).at(0), PvOf(lines[i - 1]).at(0)) << line;
        EXPECT_NE(PvOf(line).at(0), PvOf(lines[i - i % 3]).at(0)) << line;
        EXPECT_LE(std::stoi(FieldAfter(line, "cp")), std::stoi(FieldAfter(lines[i - 1], "cp"))) << line;
    }
    ASSERT_GE(best.size(), 2u);
    EXPECT_EQ(best[1], PvOf(lines[12]).at(0));
    // Two legal moves give two lines; more lines than allowed are cut to the most.
    harness.Send("setoption name MultiPV value 100");
    EXPECT_EQ(harness.Await("info string", 0ms), "info string setoption: MultiPV set to 64");
    harness.Send("position fen 7k/8/8/8/8/8/r7/K7 w - - 0 1");
    harness.Send("go depth 2");
    harness.Await("bestmove");
    harness.Session().WaitForSearchEnd();
    std::vector<std::string> fields;
    for (const std::string& line : harness.Recent())
        if (StartsWith(line, "info depth")) fields.push_back(FieldAfter(line, "depth") + FieldAfter(line, "multipv"));
    EXPECT_EQ(fields, (std::vector<std::string>{"11", "12", "21", "22"}));
}

TEST(UciSession, LinesTheTableCutShortAreShownWholeAndBestmoveCarriesPonder) {
    SessionHarness harness;
    // Every search of a game finds the table of the ones before and takes many scores from it; the
    // lines shown go on from the table where the search's own stopped, with one line and with four.
    std::string moves;
    int cut = 0;
    for (int ply = 0; ply < 20; ++ply) {
        if (ply == 10) harness.Send("setoption name MultiPV value 4");
        harness.Send("position startpos moves" + moves);
        harness.Send("go depth 6");
        const std::vector<std::string> best = Words(harness.Await("bestmove"));
        harness.Session().WaitForSearchEnd();
        ASSERT_EQ(best.size(), 4u) << "after" << moves;
        EXPECT_EQ(best[2], "ponder");
        if (ply >= 10) {
            std::vector<std::vector<std::string>> lines;
            for (const std::string& line : harness.Recent())
                if (StartsWith(line, "info depth 6 ") && FieldAfter(line, "multipv") != "") lines.push_back(PvOf(line));
            ASSERT_EQ(lines.size(), 4u) << "after" << moves;
            PositionRecord position;
            position.moves = Words(moves);
            for (std::size_t k = 0; k < lines.size(); ++k) {
                const std::size_t recorded = LineMoves(ReportedRootLine(static_cast<int>(k))).size();
                cut += recorded < 6;
                EXPECT_GE(lines[k].size(), std::max<std::size_t>(recorded, 6)) << "after" << moves;
                EXPECT_TRUE(Playable(position, lines[k])) << "after" << moves;
            }
        }
        moves += " " + best[1];
    }
    EXPECT_GE(cut, 3);
}

TEST(UciSession, MultiPvOneGivesTheOrdinaryReports) {
    const auto run = [](bool setOne) {
        SessionHarness harness;
        if (setOne) harness.Send("setoption name MultiPV value 1");
        harness.Send("position startpos moves e2e4 c7c5");
        harness.Send("go depth 7");
        harness.Await("bestmove");
        harness.Session().WaitForSearchEnd();
        std::vector<std::string> lines;
        for (const std::string& line : harness.Recent())  // root moves are shown only after a second
            if (line.find(" currmove ") == std::string::npos) lines.push_back(WithoutVaryingFields(line));
        return lines;
    };
    const std::vector<std::string> ordinary = run(false);
    EXPECT_GE(ordinary.size(), 4u);
    EXPECT_EQ(run(true), ordinary);
}

TEST(UciSession, ReadyokWaitsForANewTableAndNoInputIsLost) {
    const std::string input = ::testing::TempDir() + "zarn_ready_input.txt";
    const std::string output = ::testing::TempDir() + "zarn_ready_output.txt";
    {
        std::ofstream in(input);
        in << "setoption name Hash value 256\nisready\n" << std::string(1 << 20, '#')
           << "\nposition startpos moves e2e4\ngo depth 4\n";
    }
    const std::string command = std::string(ZARN_PROGRAM) + " < " + input + " > " + output;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream out(output);
    std::vector<std::string> lines;
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "readyok");
    EXPECT_TRUE(StartsWith(lines[1], "info string unknown command '####"));
    EXPECT_LT(lines[1].size(), 120u);
    EXPECT_TRUE(StartsWith(lines.back(), "bestmove ")) << lines.back();
    std::remove(input.c_str());
    std::remove(output.c_str());
}

// Helper threads beside the main searcher: the same commands keep working, node budgets and reports
// count every thread, the thread count changes between searches, and a table the machine cannot give
// is refused with the old one kept.
TEST(UciSession, SeveralThreadsSearchStopAndCountTogether) {
    SessionHarness harness;
    harness.Send("setoption name Threads value 2");
    EXPECT_TRUE(harness.Recent().empty());
    harness.Send("position startpos moves e2e4");
    // A budget large enough that the helper, however late the machine lets it start, searches part of it.
    constexpr std::uint64_t budget = 1000000;
    harness.Send("go nodes " + std::to_string(budget));
    const std::vector<std::string> best = Words(harness.Await("bestmove"));
    harness.Session().WaitForSearchEnd();
    ASSERT_GE(best.size(), 2u);
    EXPECT_TRUE(Playable({true, "", {"e2e4"}}, {best[1]})) << best[1];
    EXPECT_GT(OtherThreadsNodes(), 0u);
    EXPECT_GE(SearchedNodes(), budget);
    // Each thread sees the other's count up to one check (budget / 256 nodes) late.
    EXPECT_LE(SearchedNodes(), budget + 2 * (budget / 256 + 1 + NodeLimitOvershoot));

    // Isready while pondering, the ponder hit, the stop.
    harness.Send("position startpos moves e2e4");
    harness.Send("go ponder wtime 100000 btime 100000");
    harness.Send("isready");
    EXPECT_EQ(harness.Await("readyok", 2s), "readyok");
    harness.Send("setoption name Threads value 4");
    EXPECT_TRUE(StartsWith(harness.Await("info string", 0ms), "info string setoption: refused"));
    harness.Send("ponderhit");
    harness.Send("stop");
    const std::vector<std::string> pondered = Words(harness.Await("bestmove"));
    harness.Session().WaitForSearchEnd();
    ASSERT_GE(pondered.size(), 2u);
    EXPECT_TRUE(Playable({true, "", {"e2e4"}}, {pondered[1]})) << pondered[1];

    // More threads, several lines, a mate limit.
    harness.Send("setoption name Threads value 3");
    harness.Send("setoption name MultiPV value 2");
    harness.Send("position fen 7k/8/5K2/8/8/8/8/R7 w - - 0 1");
    harness.Send("go mate 2");
    const std::vector<std::string> mating = Words(harness.Await("bestmove"));
    harness.Session().WaitForSearchEnd();
    EXPECT_EQ(SearchThreads(), 3);
    ASSERT_GE(mating.size(), 2u);
    EXPECT_TRUE(mating[1] == "f6g6" || mating[1] == "f6f7") << mating[1];
    int secondLines = 0;
    for (const std::string& line : harness.Recent()) secondLines += FieldAfter(line, "multipv") == "2";
    EXPECT_GT(secondLines, 0);

    // Back to one thread; a table beyond the machine's memory is refused and the old one kept.
    harness.Send("setoption name Threads value 1");
    harness.Send("setoption name MultiPV value 1");
    if (platform::AvailableMemory() < std::uint64_t{MaxProgramHashMb} << 20) {
        harness.Send("setoption name Hash value " + std::to_string(MaxProgramHashMb));
        EXPECT_EQ(harness.Await("info string", 0ms), "info string setoption: no memory for a hash table of " +
                                                         std::to_string(MaxProgramHashMb) + " MB; it stays at 4 MB");
    }
    harness.Send("position startpos");
    harness.Send("go nodes 20000");
    EXPECT_TRUE(StartsWith(harness.Await("bestmove"), "bestmove "));
    harness.Session().WaitForSearchEnd();
    EXPECT_EQ(SearchThreads(), 1);
    EXPECT_EQ(OtherThreadsNodes(), 0u);
    EXPECT_LE(SearchedNodes(), 20000u + NodeLimitOvershoot);
}

}  // namespace
}  // namespace zarn::cli

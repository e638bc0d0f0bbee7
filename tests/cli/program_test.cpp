// The zarn program's own commands (analyse, perft, eval, bench, help, --version) and zarn-host's
// arguments, run as a user would.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>

#include "tests/cli/run_program.h"

namespace {

using zarn::testing::Outcome;
using zarn::testing::RunCommand;

// The program's arguments; its errors are read with its output.
Outcome RunProgram(const std::string& arguments) { return RunCommand(ZARN_PROGRAM, arguments + " 2>&1"); }

bool OneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

// Starts `zarn analyse --infinite` (and the arguments) with its input held open, waits for its header,
// then sends `signal` (0: closes the input instead; -1: nothing, the analysis ends by itself) and
// collects the rest. Every wait is limited to 20 s.
Outcome InterruptAnalysis(int signal, const char* fen = nullptr) {
    Outcome outcome;
    int input[2], output[2];
    if (pipe(input) != 0 || pipe(output) != 0) return outcome;
    const pid_t child = fork();
    if (child == 0) {
        dup2(input[0], 0);
        dup2(output[1], 1);
        dup2(output[1], 2);
        close(input[1]);
        close(output[0]);
        if (fen) execl(ZARN_PROGRAM, ZARN_PROGRAM, "analyse", "--infinite", "--fen", fen, static_cast<char*>(nullptr));
        execl(ZARN_PROGRAM, ZARN_PROGRAM, "analyse", "--infinite", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool sent = false;
    for (;;) {
        if (!sent && outcome.output.find("point of view") != std::string::npos) {
            usleep(200000);  // a moment of search, so that there is a best move to report
            if (signal == 0) close(input[1]);
            else if (signal > 0) kill(child, signal);
            sent = true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready = {output[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            kill(child, SIGKILL);
            outcome.output += "\n(no end within 20 s)";
            break;
        }
        char buffer[4096];
        const ssize_t count = read(output[0], buffer, sizeof buffer);
        if (count <= 0) break;
        outcome.output.append(buffer, static_cast<std::size_t>(count));
    }
    close(output[0]);
    if (signal != 0 || !sent) close(input[1]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(ZarnProgram, AnalyseReportsProgressAndTheBestMove) {
    // A mate in one is proven at depth 1, which ends the analysis at once.
    const Outcome mate = RunProgram("analyse --fen '6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1' --depth 6");
    EXPECT_EQ(mate.exitCode, 0) << mate.output;
    EXPECT_NE(mate.output.find("\ndepth  1  score mate in 1     "), std::string::npos) << mate.output;
    EXPECT_NE(mate.output.find("pv a1a8"), std::string::npos) << mate.output;
    EXPECT_EQ(mate.output.find("\ndepth  2 "), std::string::npos) << mate.output;
    EXPECT_NE(mate.output.find("\nbest move a1a8\n"), std::string::npos) << mate.output;

    const Outcome opening = RunProgram("analyse --moves 'e2e4 e7e5' --movetime 300");
    EXPECT_EQ(opening.exitCode, 0) << opening.output;
    EXPECT_NE(opening.output.find("\ndepth  1  score "), std::string::npos) << opening.output;
    EXPECT_NE(opening.output.find(" nodes "), std::string::npos) << opening.output;
    EXPECT_NE(opening.output.find(" nps "), std::string::npos) << opening.output;
    EXPECT_NE(opening.output.find("best move "), std::string::npos) << opening.output;

    const Outcome stalemate = RunProgram("analyse --fen 'k7/8/1Q6/8/8/8/8/K7 b - - 0 1' --depth 3");
    EXPECT_EQ(stalemate.exitCode, 0);
    EXPECT_NE(stalemate.output.find("No legal move"), std::string::npos) << stalemate.output;

    // Below the depth the engine reports too, the results show their score and line, for Black here,
    // from Black's point of view; the last is the move played.
    const Outcome shallow = RunProgram("analyse --fen '4k3/8/8/3q4/8/8/8/4K3 b - - 0 1' --depth 4");
    EXPECT_EQ(shallow.exitCode, 0);
    EXPECT_NE(shallow.output.find("\nScores from the side to move's point of view (Black)\n"), std::string::npos)
        << shallow.output;
    EXPECT_NE(shallow.output.find("\ndepth  4  score +"), std::string::npos) << shallow.output;
    const std::size_t pv = shallow.output.rfind(" pv ");
    const std::size_t best = shallow.output.find("\nbest move ");
    ASSERT_NE(pv, std::string::npos) << shallow.output;
    ASSERT_NE(best, std::string::npos) << shallow.output;
    EXPECT_EQ(shallow.output.substr(pv + 4, 4), shallow.output.substr(best + 11, 4)) << shallow.output;
}

TEST(ZarnProgram, AnalysisPrintsOnlyChangesAndEndsOnceAMateIsProven) {
    // An infinite analysis goes on to the deepest iteration; the mate shows once, and once more as
    // the final result at that depth.
    const Outcome infinite = InterruptAnalysis(-1, "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    EXPECT_EQ(infinite.exitCode, 0) << infinite.output;
    EXPECT_EQ(Count(infinite.output, "score mate in 1 "), 2u) << infinite.output;
    EXPECT_NE(infinite.output.find("\ndepth 31  score mate in 1 "), std::string::npos) << infinite.output;
    // The side to move is mated in one: proven at depth 2, when the mating reply lies within the search.
    const Outcome mated = RunProgram("analyse --fen 'k7/8/1K6/8/8/8/8/7R b - -' --depth 20");
    EXPECT_NE(mated.output.find("\ndepth  2  score mated in 1 "), std::string::npos) << mated.output;
    EXPECT_EQ(mated.output.find("\ndepth  3 "), std::string::npos) << mated.output;
    EXPECT_NE(mated.output.find("\nbest move a8b8 (expected reply h1h8)\n"), std::string::npos) << mated.output;
    // The check extension shows a mate in three at depth 3, before a search of five plies could have
    // found every shorter one: the analysis goes on and finds the mate in two at depth 4.
    const Outcome shorter = RunProgram("analyse --fen '7k/8/5K2/8/8/8/8/R7 w - -' --depth 20");
    EXPECT_NE(shorter.output.find("\ndepth  3  score mate in 3 "), std::string::npos) << shorter.output;
    EXPECT_NE(shorter.output.find("\ndepth  4  score mate in 2 "), std::string::npos) << shorter.output;
    EXPECT_EQ(shorter.output.find("\ndepth  5 "), std::string::npos) << shorter.output;
}

TEST(ZarnProgram, InfiniteAnalysisEndsOnEndOfInputAndOnSignalsWithTheBestMove) {
    const Outcome atOnce = RunProgram("analyse --infinite");
    EXPECT_EQ(atOnce.exitCode, 0) << atOnce.output;
    EXPECT_NE(atOnce.output.find("\nbest move "), std::string::npos) << atOnce.output;
    for (int signal : {0, SIGINT, SIGTERM}) {
        const Outcome outcome = InterruptAnalysis(signal);
        EXPECT_EQ(outcome.exitCode, 0) << "signal " << signal << "\n" << outcome.output;
        EXPECT_NE(outcome.output.find("\nbest move "), std::string::npos) << "signal " << signal << "\n" << outcome.output;
    }
}

TEST(ZarnProgram, AnalyseRefusesBadArguments) {
    for (const char* arguments : {"analyse --depth", "analyse --depth 0", "analyse --movetime soon",
                                  "analyse --fen 'not a position'", "analyse --moves 'e2e4 e2e4'",
                                  "analyse --depth 3 --infinite", "analyse --colour white"}) {
        const Outcome outcome = RunProgram(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments << "\n" << outcome.output;
        EXPECT_NE(outcome.output.find("zarn analyse: "), std::string::npos) << arguments << "\n" << outcome.output;
    }
    // Numbers out of range or malformed: one line that states the range, never a clamp.
    for (const char* arguments : {"analyse --depth 99999999999999999999", "analyse --movetime 99999999999999999999",
                                  "analyse --depth -3", "analyse --depth 5x", "analyse --depth 32",
                                  "analyse --movetime 86400001", "analyse --movetime ' 5'"}) {
        const Outcome outcome = RunProgram(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments << "\n" << outcome.output;
        EXPECT_TRUE(OneLine(outcome.output)) << arguments << "\n" << outcome.output;
        EXPECT_NE(outcome.output.find(" from 1 to "), std::string::npos) << arguments << "\n" << outcome.output;
    }
}

TEST(ZarnProgram, EveryCommandChecksItsFenTheSameWay) {
    for (const std::string fen : {"garbage", "'4k3/8/8/8/8/8/8/4KK2 w - -'", "'P3k3/8/8/8/8/8/8/4K3 w - -'",
                                  "'4k3/4R3/8/8/8/8/8/4K3 w - -'", "'8/8/8/8/8/8/8/8 w - -'"}) {
        for (const std::string command : {"analyse --depth 3 --fen", "perft 3", "eval"}) {
            const Outcome outcome = RunProgram(command + " " + fen);
            const std::string name = command.substr(0, command.find(' '));
            EXPECT_EQ(outcome.exitCode, 2) << command << " " << fen << "\n" << outcome.output;
            EXPECT_TRUE(OneLine(outcome.output)) << command << " " << fen << "\n" << outcome.output;
            EXPECT_EQ(outcome.output.rfind("zarn " + name + ": bad FEN: ", 0), 0u) << outcome.output;
        }
    }
    // The evaluation keeps White's view and says so; Black to move and a rook down is still good for White.
    const Outcome eval = RunProgram("eval 4k3/8/8/8/8/8/8/4K2R b K - 0 1");
    EXPECT_EQ(eval.exitCode, 0) << eval.output;
    EXPECT_EQ(eval.output.rfind("Scores in centipawns from White's point of view", 0), 0u) << eval.output;
    const std::size_t value = eval.output.find("\nEvaluation: ");
    ASSERT_NE(value, std::string::npos) << eval.output;
    EXPECT_GT(std::stoi(eval.output.substr(value + 13)), 300) << eval.output;
}

TEST(ZarnProgram, BenchPrintsScoresAsAnalyseDoesWithTheirLinesAtEveryDepth) {
    const Outcome bench = RunProgram("bench 5");
    EXPECT_EQ(bench.exitCode, 0) << bench.output;
    EXPECT_NE(bench.output.find(" nodes  mate in 3    b1g6 "), std::string::npos) << bench.output;
    EXPECT_NE(bench.output.find(" nodes  mate in 2    d5f6 "), std::string::npos) << bench.output;
    // Below the depth of the engine's own reports too: every position has its score and line.
    const Outcome shallow = RunProgram("bench 2");
    std::istringstream lines(shallow.output);
    int positions = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string number, nodes, unit, score, move;
        if (!(words >> number >> nodes >> unit >> score) || unit != "nodes") continue;
        if (score == "mate" || score == "mated") words >> unit >> score;
        else if (score.size() < 5 || (score[0] != '+' && score[0] != '-') || score[score.size() - 3] != '.') continue;
        if (words >> move && move.size() == 4 && move[0] >= 'a' && move[0] <= 'h' && move[1] >= '1' && move[1] <= '8')
            ++positions;
    }
    EXPECT_EQ(positions, 13) << shallow.output;
}

TEST(ZarnHost, RefusesBadArgumentsBeforeSearching) {
    EXPECT_EQ(RunCommand(ZARN_HOST, "--help 2>&1").exitCode, 0);
    for (const char* arguments : {"--depth abc", "--depth 0", "--depth 21", "--moves 'e2e4 e2e4'", "--moves e2e5",
                                  "--moves e2e4,e7e5", "--fen garbage", "--set DrawScore", "--set DrawScore=abc",
                                  "--set DrawScore=999", "--set NoSuchOption=1", "--hash -1", "--blitz 60 x"}) {
        const Outcome outcome = RunCommand(ZARN_HOST, std::string("--depth 5 ") + arguments + " 2>&1");
        EXPECT_EQ(outcome.exitCode, 2) << arguments << "\n" << outcome.output;
        EXPECT_EQ(outcome.output.find("search started"), std::string::npos) << arguments << "\n" << outcome.output;
        EXPECT_NE(outcome.output.find("zarn-host: "), std::string::npos) << arguments << "\n" << outcome.output;
    }
}

TEST(ZarnProgram, HelpListsTheCommandsAndVersionNamesTheEngine) {
    const Outcome help = RunProgram("help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* line : {"\n  analyse [--fen FEN]", "\n  help\n", "\n  uci\n", "\n  --version\n"})
        EXPECT_NE(help.output.find(line), std::string::npos) << line << " in\n" << help.output;
    for (const char* option : {"--help", "-h"}) {
        const Outcome same = RunProgram(option);
        EXPECT_EQ(same.exitCode, 0) << option;
        EXPECT_EQ(same.output, help.output) << option;
    }
    const Outcome version = RunProgram("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "Zarn 504\n");
    EXPECT_EQ(RunProgram("no-such-command").exitCode, 2);
}

}  // namespace

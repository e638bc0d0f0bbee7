// The zarn program's own commands: analyse, help and --version, run as a user would.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct Outcome {
    std::string output;
    int exitCode = -1;
};

Outcome RunProgram(const std::string& arguments) {
    Outcome outcome;
    const std::string command = std::string(ZARN_PROGRAM) + " " + arguments + " 2>&1 </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) outcome.output.append(buffer, count);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(ZarnProgram, AnalyseReportsProgressAndTheBestMove) {
    const Outcome mate = RunProgram("analyse --fen '6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1' --depth 6");
    EXPECT_EQ(mate.exitCode, 0) << mate.output;
    EXPECT_NE(mate.output.find("depth  6  score mate in 1"), std::string::npos) << mate.output;
    EXPECT_NE(mate.output.find("pv a1a8"), std::string::npos) << mate.output;
    EXPECT_NE(mate.output.find("\nbest move a1a8\n"), std::string::npos) << mate.output;

    const Outcome opening = RunProgram("analyse --moves 'e2e4 e7e5' --movetime 300");
    EXPECT_EQ(opening.exitCode, 0) << opening.output;
    EXPECT_NE(opening.output.find(" nodes "), std::string::npos) << opening.output;
    EXPECT_NE(opening.output.find(" nps "), std::string::npos) << opening.output;
    EXPECT_NE(opening.output.find("best move "), std::string::npos) << opening.output;

    const Outcome stalemate = RunProgram("analyse --fen 'k7/8/1Q6/8/8/8/8/K7 b - - 0 1' --depth 3");
    EXPECT_EQ(stalemate.exitCode, 0);
    EXPECT_NE(stalemate.output.find("No legal move"), std::string::npos) << stalemate.output;
}

TEST(ZarnProgram, AnalyseRefusesBadArguments) {
    for (const char* arguments : {"analyse --depth", "analyse --depth 0", "analyse --movetime soon",
                                  "analyse --fen 'not a position'", "analyse --moves 'e2e4 e2e4'",
                                  "analyse --depth 3 --infinite", "analyse --colour white"}) {
        const Outcome outcome = RunProgram(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments << "\n" << outcome.output;
        EXPECT_NE(outcome.output.find("zarn analyse: "), std::string::npos) << arguments << "\n" << outcome.output;
    }
}

TEST(ZarnProgram, HelpListsTheCommandsAndVersionNamesTheEngine) {
    const Outcome help = RunProgram("help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* line : {"\n  analyse [--fen FEN]", "\n  help\n", "\n  uci\n", "\n  --version\n"})
        EXPECT_NE(help.output.find(line), std::string::npos) << line << " in\n" << help.output;
    const Outcome version = RunProgram("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "Zarn 504\n");
    EXPECT_EQ(RunProgram("no-such-command").exitCode, 2);
}

}  // namespace

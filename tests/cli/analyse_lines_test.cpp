// zarn analyse --multipv: the lines of every depth in the table, best first.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace {

std::string RunAnalyse(const std::string& arguments) {
    const std::string command = std::string(ZARN_PROGRAM) + " analyse " + arguments + " 2>&1 </dev/null";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, count);
    pclose(pipe);
    return output;
}

TEST(AnalyseLines, EveryDepthPrintsItsLinesBestFirst) {
    const std::string output = RunAnalyse("--moves e2e4 --depth 4 --multipv 3");
    std::istringstream lines(output);
    std::string expected;
    for (int depth = 1; depth <= 4; ++depth)
        for (int line = 1; line <= 3; ++line) expected += std::to_string(depth) + "/" + std::to_string(line) + " ";
    std::string seen;
    for (std::string text; std::getline(lines, text);) {
        int depth = 0, line = 0;
        if (std::sscanf(text.c_str(), "depth %d line %d", &depth, &line) == 2)
            seen += std::to_string(depth) + "/" + std::to_string(line) + " ";
    }
    EXPECT_EQ(seen, expected) << output;
    EXPECT_NE(output.find("best move "), std::string::npos) << output;
    EXPECT_NE(RunAnalyse("--multipv 0").find("--multipv needs a number"), std::string::npos);
}

}  // namespace

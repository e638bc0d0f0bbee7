// Runs a program's command line through the shell with no input and collects what it prints on standard
// output (add "2>&1" to the arguments for its errors too) with its exit status. timeout(1) ends a program
// that hangs, so a test never waits for ever.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace zarn::testing {

struct Outcome {
    std::string output;
    int exitCode = -1;
};

inline Outcome RunCommand(const std::string& program, const std::string& arguments) {
    Outcome outcome;
    const std::string command = "timeout 60 " + program + " " + arguments + " </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) outcome.output.append(buffer, count);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

}  // namespace zarn::testing

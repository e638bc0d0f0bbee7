// The uci command, also what the program does without arguments: a UCI session on standard input
// and output.
#include <iostream>

#include "cli/command.h"
#include "cli/uci/session.h"

namespace zarn::cli {
namespace {

int RunUci(std::span<char* const> args) {
    if (!args.empty()) {
        std::cerr << "zarn uci: takes no arguments\n";
        return 2;
    }
    UciSession session(std::cout);
    return session.Run(std::cin);
}

const CommandRegistration registration({"uci", "", "speak UCI on standard input and output (the default)", RunUci});

}  // namespace
}  // namespace zarn::cli

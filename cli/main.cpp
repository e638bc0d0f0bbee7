// Entry point of the zarn program: dispatches to the registered sub-commands.
#include <array>
#include <cstdio>
#include <cstring>

#include "cli/command.h"

namespace zarn::cli {
namespace {

std::array<Command, 32> commandTable;
std::size_t commandCount = 0;

}  // namespace

void RegisterCommand(const Command& command) {
    if (commandCount < commandTable.size()) commandTable[commandCount++] = command;
}

const Command* FindCommand(std::string_view name) {
    for (std::size_t i = 0; i < commandCount; ++i)
        if (commandTable[i].name == name) return &commandTable[i];
    return nullptr;
}

std::span<const Command> AllCommands() { return {commandTable.data(), commandCount}; }

}  // namespace zarn::cli

int main(int argc, char** argv) {
    using namespace zarn::cli;
    // Without arguments the program speaks UCI.
    const char* name = argc > 1 ? argv[1] : "uci";
    if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0) name = "help";
    const Command* command = FindCommand(name);
    if (!command) {
        std::fprintf(stderr, "zarn: unknown command '%s' (try 'zarn help')\n", name);
        return 2;
    }
    return command->run(std::span<char* const>(argv + (argc > 1 ? 2 : 1), argv + argc));
}

// zarn help and zarn --version.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "engine/interface/zarn.h"

namespace zarn::cli {
namespace {

int RunHelp(std::span<char* const>) {
    std::printf("usage: zarn [command [arguments]]\n\n");
    std::printf("Without a command zarn speaks UCI on standard input and output.\n\nCommands:\n");
    std::vector<Command> commands(AllCommands().begin(), AllCommands().end());
    std::sort(commands.begin(), commands.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const Command& command : commands) {
        std::string head(command.name);
        if (!command.usage.empty()) head += ' ' + std::string(command.usage);
        std::printf("  %s\n      %.*s\n", head.c_str(), static_cast<int>(command.summary.size()),
                    command.summary.data());
    }
    return 0;
}

int RunVersion(std::span<char* const>) {
    std::printf("%s\n", ZarnGetVersion());
    return 0;
}

const CommandRegistration helpRegistration({"help", "", "list the commands", RunHelp});
const CommandRegistration versionRegistration({"--version", "", "print the engine's version", RunVersion});

}  // namespace
}  // namespace zarn::cli

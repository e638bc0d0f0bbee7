// Sub-commands of the zarn program register themselves here by name.
#pragma once

#include <span>
#include <string_view>

namespace zarn::cli {

// A sub-command gets the arguments after its name and returns the process exit code.
using CommandFunction = int (*)(std::span<char* const> args);

struct Command {
    std::string_view name;
    std::string_view usage;    // one line: arguments
    std::string_view summary;  // one line: what it does
    CommandFunction run = nullptr;  // an initialiser keeps the command table constant-initialised, ready before any registration
};

// Adds a command to the table; used through a static CommandRegistration in each command's file.
void RegisterCommand(const Command& command);
const Command* FindCommand(std::string_view name);
std::span<const Command> AllCommands();

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { RegisterCommand(command); }
};

}  // namespace zarn::cli

// zarn help and zarn --version.
#include <cstdio>

#include "cli/command.h"
#include "cli/manual/manual.h"
#include "engine/interface/zarn.h"

namespace zarn::cli {
namespace {

// The same text as the manual page zarn.6.
int RunHelp(std::span<char* const>) {
    std::fputs(manual::PlainText().c_str(), stdout);
    return 0;
}

int RunVersion(std::span<char* const>) {
    std::printf("%s\n", ZarnGetVersion());
    return 0;
}

const CommandRegistration helpRegistration({"help", "", "print the manual", RunHelp});
const CommandRegistration versionRegistration({"--version", "", "print the engine's version", RunVersion});

}  // namespace
}  // namespace zarn::cli

// The one FEN check of the program's commands, with its messages.
#include "cli/fen_argument.h"

#include <cstdio>

#include "cli/uci/position.h"

namespace zarn::cli {

std::string ReadFenArgument(std::string_view command, std::span<char* const> words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) text += ' ';
        text += words[i];
    }
    const FenCheck check = CheckFen(text);
    const int length = static_cast<int>(command.size());
    if (!check.error.empty()) {
        std::fprintf(stderr, "zarn %.*s: bad FEN: %s\n", length, command.data(), check.error.c_str());
        return "";
    }
    for (const std::string& note : check.notes)
        std::fprintf(stderr, "zarn %.*s: %s\n", length, command.data(), note.c_str());
    return check.fen;
}

}  // namespace zarn::cli

// Positions given on the command line: every command reads and checks them the same way.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zarn::cli {

// Joins the words into one FEN text (a FEN may come as one argument or as several) and checks it.
// Returns the checked text for the engine, or an empty text after printing one line
// "zarn <command>: bad FEN: <why>" on stderr. Fields the position cannot have are dropped, each with
// a note on stderr.
std::string ReadFenArgument(std::string_view command, std::span<char* const> words);

}  // namespace zarn::cli

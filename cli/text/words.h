// Words of a line as the program reads them: commands, FEN fields, coordinate moves.
#pragma once

#include <string_view>
#include <vector>

namespace zarn::cli {

// Space, tab, carriage return and line feed: a line ending in "\r\n" ends in a blank, not in a word.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The words of the text between blanks, runs of blanks counting as one.
std::vector<std::string_view> SplitWords(std::string_view text);

}  // namespace zarn::cli

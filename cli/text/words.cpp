// The program's one word splitter.
#include "cli/text/words.h"

namespace zarn::cli {

std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && IsBlank(text[position])) ++position;
        std::size_t end = position;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        if (end > position) words.push_back(text.substr(position, end - position));
        position = end;
    }
    return words;
}

}  // namespace zarn::cli

// Quoting input back.
#include "cli/uci/echo.h"

namespace zarn::cli {

std::string Quoted(std::string_view text) {
    const bool cut = text.size() > EchoLength;
    std::string quoted;
    quoted.reserve(EchoLength + 5);
    quoted.push_back('\'');
    quoted.append(text.substr(0, EchoLength));
    if (cut) quoted.append("...");
    quoted.push_back('\'');
    return quoted;
}

}  // namespace zarn::cli

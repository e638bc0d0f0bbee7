// The program's one number reader.
#include "cli/text/number.h"

#include <charconv>

namespace zarn::cli {

bool ReadNumber(std::string_view text, std::int64_t& value, PlusSign plus) {
    if (plus == PlusSign::Allowed && !text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    value = number;
    return true;
}

bool ReadNumber(std::string_view text, std::int64_t minimum, std::int64_t maximum, std::int64_t& value) {
    std::int64_t number = 0;
    if (!ReadNumber(text, number) || number < minimum || number > maximum) return false;
    value = number;
    return true;
}

}  // namespace zarn::cli

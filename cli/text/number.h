// Whole numbers as the program reads them from its arguments and commands.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarn::cli {

// Whether a '+' may stand before the digits: UCI interfaces send one now and then, the program's own
// arguments do not take it.
enum class PlusSign { Refused, Allowed };

// Reads a whole number that is the entire text: decimal digits after an optional '-' (or '+' when
// allowed) that fit 64 bits. False, the value untouched, for anything else.
bool ReadNumber(std::string_view text, std::int64_t& value, PlusSign plus = PlusSign::Refused);

// The same without a '+', and only a number from minimum to maximum.
bool ReadNumber(std::string_view text, std::int64_t minimum, std::int64_t maximum, std::int64_t& value);

}  // namespace zarn::cli

// Input quoted back in a note: long enough to recognise, never a whole megabyte of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarn::cli {

inline constexpr std::size_t EchoLength = 80;

// The text in single quotes, cut after EchoLength characters with "..." to say so.
std::string Quoted(std::string_view text);

}  // namespace zarn::cli

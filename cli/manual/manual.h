// The zarn program's manual: one table of sections that both `zarn help` and the manual page zarn.6
// are made from, so that the two always say the same things.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zarn::cli::manual {

// A tagged paragraph: a term (a command line, an option) and what it means. In the examples the
// text comes first and the term is the command line to type.
struct Entry {
    std::string_view term;
    std::string_view text;
};

// Synopsis lists `zarn` and one line per entry of the COMMANDS section.
enum class Layout { Paragraphs, Synopsis, Tagged, Examples };

struct Section {
    std::string_view title;
    std::string_view intro;  // paragraphs separated by '\n'; may be empty
    Layout layout = Layout::Paragraphs;
    std::span<const Entry> entries{};
};

inline constexpr std::string_view ProgramName = "zarn";
inline constexpr std::string_view Summary = "chess engine speaking the UCI protocol";

std::span<const Section> Sections();

// The directories of an installation, which the FILES section names: its terms write them as
// {bindir}, {libdir}, {includedir} and {docdir}.
struct InstalledDirs {
    std::string_view bindir;      // the program's
    std::string_view libdir;      // the engine library's
    std::string_view includedir;  // the one whose zarn/ holds the C header
    std::string_view docdir;      // the documents'
};

// The directories the build was configured to install into.
InstalledDirs ConfiguredDirs();

// The manual as plain text, wrapped for an 80-column terminal, naming the configured directories.
std::string PlainText();

// The manual as a roff page of section 6 for man(1), naming the given directories.
std::string Roff(std::string_view version, const InstalledDirs& dirs);

}  // namespace zarn::cli::manual

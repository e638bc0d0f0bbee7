// The manual's two renderings: plain text for `zarn help` and roff for the manual page.
#include "cli/manual/manual.h"

#include <algorithm>
#include <array>
#include <utility>

// The installed locations, as the build configured them.
#ifndef ZARN_MANUAL_BINDIR
#define ZARN_MANUAL_BINDIR "/usr/games"
#endif
#ifndef ZARN_MANUAL_LIBDIR
#define ZARN_MANUAL_LIBDIR "/usr/lib/zarn"
#endif
#ifndef ZARN_MANUAL_INCLUDEDIR
#define ZARN_MANUAL_INCLUDEDIR "/usr/include"
#endif
#ifndef ZARN_MANUAL_DOCDIR
#define ZARN_MANUAL_DOCDIR "/usr/share/doc/zarn"
#endif

namespace zarn::cli::manual {
namespace {

constexpr std::size_t TextWidth = 79;

std::span<const Entry> CommandEntries() {
    for (const Section& section : Sections())
        if (section.title == "COMMANDS") return section.entries;
    return {};
}

// Appends the words of one paragraph, broken into lines of at most TextWidth columns where possible.
void AppendWrapped(std::string& out, std::string_view paragraph, std::size_t indent) {
    std::size_t column = 0;
    while (!paragraph.empty()) {
        const std::size_t end = std::min(paragraph.find(' '), paragraph.size());
        const std::string_view word = paragraph.substr(0, end);
        paragraph.remove_prefix(std::min(end + 1, paragraph.size()));
        if (word.empty()) continue;
        if (column > 0 && column + 1 + word.size() > TextWidth) {
            out += '\n';
            column = 0;
        }
        if (column == 0) {
            out.append(indent, ' ');
            column = indent;
        } else {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
    }
    out += '\n';
}

// A term with the directories it names in braces written out.
std::string Expanded(std::string_view term, const InstalledDirs& dirs) {
    const std::array<std::pair<std::string_view, std::string_view>, 4> names{{
        {"{bindir}", dirs.bindir}, {"{libdir}", dirs.libdir}, {"{includedir}", dirs.includedir}, {"{docdir}", dirs.docdir}}};
    std::string out;
    while (!term.empty()) {
        const auto name = std::find_if(names.begin(), names.end(), [&](const auto& n) { return term.starts_with(n.first); });
        if (name == names.end()) {
            out += term.front();
            term.remove_prefix(1);
        } else {
            out += name->second;
            term.remove_prefix(name->first.size());
        }
    }
    return out;
}

// Calls visit for every '\n'-separated paragraph of a text.
template <typename Visit>
void ForEachParagraph(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        visit(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

// Text for roff: backslashes and minus signs escaped, no line that starts as a request.
std::string RoffEscape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

// A term with its head in bold: the text before " (" or the first space. A head that is a file's path
// may break after each of its inner slashes: an installation prefix can be longer than a line.
std::string RoffTerm(std::string_view term) {
    std::size_t split = term.find(" (");
    if (split == std::string_view::npos) split = std::min(term.find(' '), term.size());
    std::string head = RoffEscape(term.substr(0, split));
    if (head.starts_with('/')) {
        for (std::size_t slash = head.find('/', 1); slash != std::string::npos; slash = head.find('/', slash + 3))
            head.insert(slash + 1, "\\:");
        head.insert(0, "\\%");  // and is never hyphenated
    }
    return "\\fB" + head + "\\fR" + RoffEscape(term.substr(split));
}

}  // namespace

InstalledDirs ConfiguredDirs() {
    return {ZARN_MANUAL_BINDIR, ZARN_MANUAL_LIBDIR, ZARN_MANUAL_INCLUDEDIR, ZARN_MANUAL_DOCDIR};
}

std::string PlainText() {
    const InstalledDirs dirs = ConfiguredDirs();
    std::string out = std::string(ProgramName) + " - " + std::string(Summary) + "\n";
    for (const Section& section : Sections()) {
        out += '\n';
        out += section.title;
        out += '\n';
        // A blank line between paragraphs and between entries.
        bool first = true;
        const auto separate = [&] {
            if (!first) out += '\n';
            first = false;
        };
        ForEachParagraph(section.intro, [&](std::string_view paragraph) {
            separate();
            AppendWrapped(out, paragraph, 2);
        });
        switch (section.layout) {
            case Layout::Paragraphs:
                break;
            case Layout::Synopsis:
                out += "  " + std::string(ProgramName) + "\n";
                for (const Entry& entry : CommandEntries())
                    out += "  " + std::string(ProgramName) + " " + std::string(entry.term) + "\n";
                break;
            case Layout::Tagged:
                for (const Entry& entry : section.entries) {
                    separate();
                    out += "  " + Expanded(entry.term, dirs) + "\n";
                    AppendWrapped(out, entry.text, 6);
                }
                break;
            case Layout::Examples:
                for (const Entry& entry : section.entries) {
                    separate();
                    AppendWrapped(out, entry.text, 2);
                    out += "      " + std::string(entry.term) + "\n";
                }
                break;
        }
    }
    return out;
}

std::string Roff(std::string_view version, const InstalledDirs& dirs) {
    std::string upper(ProgramName);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    std::string out = ".TH " + upper + " 6 \"\" \"Zarn " + RoffEscape(version) + "\" \"Games\"\n";
    out += ".SH NAME\n" + std::string(ProgramName) + " \\- " + RoffEscape(Summary) + "\n";
    for (const Section& section : Sections()) {
        out += ".SH " + std::string(section.title) + "\n";
        ForEachParagraph(section.intro, [&](std::string_view paragraph) { out += ".PP\n" + RoffEscape(paragraph) + "\n"; });
        switch (section.layout) {
            case Layout::Paragraphs:
                break;
            case Layout::Synopsis:
                out += ".nf\n\\fB" + std::string(ProgramName) + "\\fR\n";
                for (const Entry& entry : CommandEntries())
                    out += "\\fB" + std::string(ProgramName) + "\\fR " + RoffTerm(entry.term) + "\n";
                out += ".fi\n";
                break;
            case Layout::Tagged: {
                // Lines holding a long path are set ragged: justified, they would have nothing to stretch.
                bool ragged = false;
                for (const Entry& entry : section.entries) {
                    const std::string term = Expanded(entry.term, dirs);
                    if (!ragged && term.starts_with('/')) {
                        out += ".ad l\n";
                        ragged = true;
                    }
                    out += ".TP\n" + RoffTerm(term) + "\n" + RoffEscape(entry.text) + "\n";
                }
                if (ragged) out += ".ad b\n";
                break;
            }
            case Layout::Examples:
                for (const Entry& entry : section.entries)
                    out += ".PP\n" + RoffEscape(entry.text) + "\n.RS 4\n.nf\n" + RoffEscape(entry.term) + "\n.fi\n.RE\n";
                break;
        }
    }
    return out;
}

}  // namespace zarn::cli::manual

// PGN text of any shape through the reader, the replay against the legal moves and the writer. Every
// game keeps its place in the text; and the file the program writes from them (each good game in export
// form, each other copied through as it stands) reads back as the same games, which are written the
// same again (but for where lines break: a comment word longer than a line is broken up anew).
#include <string>
#include <string_view>
#include <vector>

#include "cli/pgn/reader.h"
#include "cli/pgn/replay.h"
#include "cli/pgn/writer.h"
#include "fuzz/check.h"
#include "fuzz/engine_fixture.h"
#include "fuzz/inputs.h"

namespace zarn::fuzz {
namespace {

using cli::PgnGame;
using cli::PgnLine;

// A text as the writer may lay it out again: blanks and line ends anywhere, a closing brace as ).
std::string WithoutBlanks(std::string_view text) {
    std::string content;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') content += c == '}' ? ')' : c;
    return content;
}

bool SameComments(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (WithoutBlanks(a[i]) != WithoutBlanks(b[i])) return false;
    return true;
}

bool SameLine(const PgnLine& a, const PgnLine& b) {
    if (!SameComments(a.comments, b.comments) || a.moves.size() != b.moves.size()) return false;
    for (std::size_t i = 0; i < a.moves.size(); ++i) {
        const cli::PgnMove& x = a.moves[i];
        const cli::PgnMove& y = b.moves[i];
        if (x.move != y.move || x.san != y.san || x.nags != y.nags || !SameComments(x.comments, y.comments) ||
            x.variations.size() != y.variations.size())
            return false;
        for (std::size_t v = 0; v < x.variations.size(); ++v)
            if (!SameLine(x.variations[v], y.variations[v])) return false;
    }
    return true;
}

// Tag values come back whole unless the writer had to cut them or turn a control character into a blank.
bool SameTags(const PgnGame& a, const PgnGame& b) {
    if (a.tags.size() != b.tags.size()) return false;
    for (std::size_t i = 0; i < a.tags.size(); ++i) {
        const auto& [name, value] = a.tags[i];
        if (b.tags[i].first != name) return false;
        const bool kept = value.size() <= cli::MaxTagValueBytes && value.find_first_of("\t\r") == std::string::npos;
        if (kept && b.tags[i].second != value) return false;
    }
    return true;
}

void CheckPlaces(const std::vector<PgnGame>& games, std::size_t size) {
    std::size_t previousEnd = 0;
    int previousLine = 1;
    for (const PgnGame& game : games) {
        ZARN_FUZZ_CHECK(previousEnd <= game.begin && game.begin < game.end && game.end <= size,
                        "game at bytes %zu to %zu after %zu of %zu", game.begin, game.end, previousEnd, size);
        ZARN_FUZZ_CHECK(game.firstLine >= previousLine, "game on line %d after line %d", game.firstLine, previousLine);
        ZARN_FUZZ_CHECK(game.error.empty() || game.errorLine >= game.firstLine, "error on line %d of a game from line %d",
                        game.errorLine, game.firstLine);
        previousEnd = game.end;
        previousLine = game.firstLine;
    }
}

}  // namespace

int RunPgnInput(const std::uint8_t* data, std::size_t size) {
    // The replay needs the engine's tables, not a search: they are prepared once.
    static const bool prepared = (PrepareEngine(), true);
    (void)prepared;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<PgnGame> games = cli::ReadPgn(text);
    CheckPlaces(games, size);

    std::string written;
    std::vector<std::string> exports;
    for (PgnGame& game : games) {
        if (game.error.empty()) cli::ReplayGame(game);
        exports.push_back(game.error.empty() ? cli::WritePgn(game) : cli::GameTextAsRead(text, game));
        written += exports.back();
    }

    std::vector<PgnGame> again = cli::ReadPgn(written);
    ZARN_FUZZ_CHECK(again.size() == games.size(), "%zu games read back of %zu written", again.size(), games.size());
    for (std::size_t i = 0; i < games.size(); ++i) {
        PgnGame& game = again[i];
        if (game.error.empty()) cli::ReplayGame(game);
        const PgnGame& original = games[i];
        ZARN_FUZZ_CHECK(game.error.empty() == original.error.empty(), "game %zu read back with error '%s' for '%s'", i + 1,
                        game.error.c_str(), original.error.c_str());
        if (!original.error.empty()) continue;
        ZARN_FUZZ_CHECK(SameTags(original, game) && game.result == original.result && game.startFen == original.startFen &&
                            SameLine(original.mainLine, game.mainLine),
                        "game %zu reads back as another game:\n%s", i + 1, exports[i].c_str());
        const std::string rewritten = cli::WritePgn(game);
        ZARN_FUZZ_CHECK(WithoutBlanks(rewritten) == WithoutBlanks(exports[i]),
                        "game %zu is written differently the second time:\n%s\n%s", i + 1, exports[i].c_str(),
                        rewritten.c_str());
    }
    return 0;
}

}  // namespace zarn::fuzz

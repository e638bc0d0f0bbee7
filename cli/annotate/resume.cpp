// Reading back an earlier run's output: whole games that match the input's, then at most one game
// written in part.
#include "cli/annotate/resume.h"

#include <vector>

#include "cli/annotate/game_review.h"
#include "cli/pgn/reader.h"
#include "cli/pgn/replay.h"
#include "cli/pgn/writer.h"

namespace zarn::cli {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where a game's text ends without the white space after it.
std::size_t TrimmedEnd(std::string_view text, const PgnGame& game) {
    std::size_t end = game.end;
    while (end > game.begin && IsBlank(text[end - 1])) --end;
    return end;
}

// A whole game as the annotator writes it: readable, ending with its result and a blank line.
bool IsWhole(std::string_view text, const PgnGame& game) {
    const std::size_t end = TrimmedEnd(text, game);
    const std::string_view body = text.substr(game.begin, end - game.begin);
    return game.error.empty() && body.ends_with(game.result) && text.substr(end, 2) == "\n\n";
}

// The tags as the writer writes them and the reader reads them back (long values cut, and so on).
std::vector<std::pair<std::string, std::string>> WrittenTags(const PgnGame& game) {
    PgnGame tagsOnly;
    tagsOnly.tags = game.tags;
    std::vector<PgnGame> again = ReadPgn(WritePgn(tagsOnly));
    return again.size() == 1 ? again.front().tags : std::vector<std::pair<std::string, std::string>>{};
}

// Whether the output's tags are the input game's as written, with the Annotator tag the annotation
// adds to a game with moves that has none; for a game written in part, whether they begin so.
bool SameTags(const std::vector<std::pair<std::string, std::string>>& found, const PgnGame& input, bool whole) {
    const std::vector<std::pair<std::string, std::string>> expected = WrittenTags(input);
    const bool annotatorAdded = !input.mainLine.moves.empty() && TagValue(input, "Annotator").empty();
    const std::size_t count = expected.size() + (annotatorAdded ? 1 : 0);
    if (found.size() > count || (whole && found.size() < count)) return false;
    for (std::size_t i = 0; i < found.size(); ++i)
        if (i < expected.size() ? found[i] != expected[i] : found[i].first != "Annotator") return false;
    return true;
}

// Why the output's game is not the annotation of the input's, or "" when it is.
std::string Difference(PgnGame output, const PgnGame& input) {
    if (!ReplayGame(output)) return "its moves cannot be replayed: " + output.error;
    if (!SameTags(output.tags, input, true)) return "its tags differ";
    if (output.startFen != input.startFen || MainLineMoves(output) != MainLineMoves(input)) return "its moves differ";
    if (output.result != input.result) return "its result differs";
    return "";
}

// Whether the text is the start of the game's record, cut short: for a game copied unchanged its text's
// start, for an annotated game a start whose complete tags are the game's.
bool StartsRecord(std::string_view text, std::string_view input, const PgnGame& wanted) {
    // A power loss can leave zeros where the last data did not reach the storage.
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return true;
    if (!wanted.error.empty())
        return GameTextAsRead(input, wanted).starts_with(text);
    const std::vector<PgnGame> read = ReadPgn(text);
    return read.size() == 1 && !IsWhole(text, read.front()) && SameTags(read.front().tags, wanted, false);
}

}  // namespace

ResumePoint FindResumePoint(std::string_view output, std::string_view input, std::span<const PgnGame> games,
                            std::size_t firstNumber) {
    ResumePoint point;
    // The output read once; read again from a position where that reading's games do not begin.
    std::size_t readFrom = 0;
    std::vector<PgnGame> read = ReadPgn(output);
    std::size_t cursor = 0;
    auto gameAt = [&](std::size_t at) -> const PgnGame* {
        for (int attempt = 0; attempt < 2; ++attempt) {
            while (cursor < read.size() && readFrom + read[cursor].begin < at) ++cursor;
            if (cursor < read.size() && readFrom + read[cursor].begin == at) return &read[cursor];
            if (attempt == 0 && readFrom != at) {
                readFrom = at;
                read = ReadPgn(output.substr(at));
                cursor = 0;
            }
        }
        return nullptr;
    };

    std::size_t at = 0;
    std::string difference;
    while (point.games < games.size()) {
        while (at < output.size() && IsBlank(output[at])) ++at;
        if (at == output.size()) break;
        const PgnGame& wanted = games[point.games];
        if (!wanted.error.empty()) {
            const std::string record = GameTextAsRead(input, wanted);
            if (output.substr(at).starts_with(record)) {
                at += record.size();
                point.keptBytes = at;
                ++point.games;
                continue;
            }
            difference = "it is not the game's text unchanged";
        } else if (const PgnGame* game = gameAt(at); game && IsWhole(output.substr(readFrom), *game)) {
            PgnGame shifted = *game;
            difference = Difference(std::move(shifted), wanted);
            if (difference.empty()) {
                at = readFrom + TrimmedEnd(output.substr(readFrom), *game) + 2;
                point.keptBytes = at;
                ++point.games;
                continue;
            }
        } else {
            difference = "it is not a whole game";
        }
        break;
    }

    // After the kept games: nothing, white space, or the next game written in part.
    std::size_t rest = point.keptBytes;
    while (rest < output.size() && IsBlank(output[rest])) ++rest;
    if (rest == output.size()) return point;
    if (point.games < games.size() && StartsRecord(output.substr(rest), input, games[point.games])) {
        point.partialGame = true;
        return point;
    }
    const std::string outputNumber = std::to_string(point.games + 1);
    if (point.games == games.size())
        point.mismatch = "it holds more than the " + std::to_string(games.size()) + " games to review (game " + outputNumber +
                         " is one too many)";
    else
        point.mismatch = "its game " + outputNumber + " is not the annotation of game " +
                         std::to_string(firstNumber + point.games) + " of the input: " +
                         (difference.empty() ? "it is not a whole game" : difference);
    return point;
}

}  // namespace zarn::cli

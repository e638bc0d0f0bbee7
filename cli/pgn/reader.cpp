// PGN text to games: a lexer over the whole text, tag pairs, then the movetext as a tree of lines.
#include "cli/pgn/reader.h"

#include <cstdio>
#include <string>
#include <unordered_set>

#include "cli/pgn/san.h"

namespace zarn::cli {

std::string TagValue(const PgnGame& game, const std::string& name) {
    for (const auto& [tagName, value] : game.tags)
        if (tagName == name) return value;
    return "";
}

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsSymbolChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_' || c == '+' || c == '#' || c == '=' || c == ':' || c == '-' || c == '/';
}
bool IsResult(std::string_view word) { return word == "1-0" || word == "0-1" || word == "1/2-1/2" || word == "*"; }

// A short, printable rendering of a piece of input for messages.
std::string Shown(std::string_view text) {
    std::string shown;
    for (char c : text.substr(0, 24)) {
        if (c >= ' ' && c < 127) {
            shown += c;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(c));
            shown += code;
        }
    }
    if (text.size() > 24) shown += "...";
    return shown;
}

// Judgement marks written after a move, as the NAG each stands for; 0 for anything else.
int GlyphNag(std::string_view glyph) {
    if (glyph == "!") return 1;
    if (glyph == "?") return 2;
    if (glyph == "!!") return 3;
    if (glyph == "??") return 4;
    if (glyph == "!?") return 5;
    if (glyph == "?!") return 6;
    return 0;
}

struct ReadFailure {
    std::string reason;
    int line = 0;
};

// Thrown when a game ends before its movetext: a tag section follows its own.
struct EndOfGame {};

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {
        if (text_.substr(0, 3) == ByteOrderMark) textStart_ = position_ = 3;
    }

    bool AtEnd() const { return position_ >= text_.size(); }

    // Skips white space and escape lines; returns the number of line ends passed.
    int SkipSpace() {
        int lineEnds = 0;
        while (!AtEnd()) {
            const char c = text_[position_];
            if (c == '%' && AtColumnZero(position_)) {
                SkipRestOfLine();
            } else if (IsSpace(c)) {
                if (c == '\n') ++lineEnds;
                Advance();
            } else {
                break;
            }
        }
        return lineEnds;
    }

    PgnGame ReadGame() {
        PgnGame game;
        game.begin = position_;
        game.firstLine = line_;
        bool inTags = true;
        try {
            ReadTags(game);
            inTags = false;
            ReadMovetext(game);
        } catch (const EndOfGame&) {
            const std::string tagged = TagValue(game, "Result");
            game.result = IsResult(tagged) ? tagged : "*";
        } catch (const ReadFailure& failure) {
            game.error = failure.reason;
            game.errorLine = failure.line;
            Resynchronise(inTags);
        }
        if (position_ == game.begin) Advance();  // never stand still
        game.end = position_;
        return game;
    }

private:
    void Advance() {
        if (text_[position_] == '\n') ++line_;
        ++position_;
    }

    char Peek() const { return AtEnd() ? '\0' : text_[position_]; }

    bool AtColumnZero(std::size_t at) const { return at <= textStart_ || text_[at - 1] == '\n'; }

    // Only blanks stand before this position on its line.
    bool AtLineStart(std::size_t at) const {
        while (at > textStart_ && (text_[at - 1] == ' ' || text_[at - 1] == '\t' || text_[at - 1] == '\r')) --at;
        return at <= textStart_ || text_[at - 1] == '\n';
    }

    // A line that begins like a tag pair: [Name "
    bool LooksLikeTagPair(std::size_t at) const {
        if (at >= text_.size() || text_[at] != '[') return false;
        std::size_t i = at + 1;
        const std::size_t nameStart = i;
        while (i < text_.size() && (IsLetter(text_[i]) || IsDigit(text_[i]) || text_[i] == '_')) ++i;
        if (i == nameStart) return false;
        while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t')) ++i;
        return i < text_.size() && text_[i] == '"';
    }

    // The name of the tag pair that begins here, as ReadTag reads it; "" when none begins here.
    std::string TagNameAt(std::size_t at) const {
        if (at >= text_.size() || text_[at] != '[') return "";
        std::size_t i = at + 1;
        while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t')) ++i;
        const std::size_t nameStart = i;
        while (i < text_.size() && (IsLetter(text_[i]) || IsDigit(text_[i]) || text_[i] == '_')) ++i;
        const std::size_t nameEnd = i;
        while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t')) ++i;
        if (nameEnd == nameStart || i >= text_.size() || text_[i] != '"') return "";
        return std::string(text_.substr(nameStart, nameEnd - nameStart));
    }

    // Whether a tag pair with this name begins the next game, the game holding the named tags so far.
    // A blank line may stand among a game's tags (some programs write one after the Event tag), so only
    // a second Event tag, or after a blank line a tag the game already has, begins the next one.
    bool StartsNextGame(const std::string& name, bool afterBlankLine) const {
        return tagNames_.contains(name) && (afterBlankLine || name == "Event");
    }

    void SkipRestOfLine() {
        while (!AtEnd() && text_[position_] != '\n') ++position_;
    }

    [[noreturn]] void Fail(std::string reason, int line = 0) const { throw ReadFailure{std::move(reason), line ? line : line_}; }

    void ReadTags(PgnGame& game) {
        tagNames_.clear();
        for (;;) {
            const int lineEnds = SkipSpace();
            if (Peek() != '[') return;
            // The next game's tags: this game has no moves.
            if (StartsNextGame(TagNameAt(position_), lineEnds >= 2)) throw EndOfGame{};
            tagStart_ = position_;
            auto [name, value] = ReadTag();
            tagNames_.insert(name);
            game.tags.emplace_back(std::move(name), std::move(value));
        }
    }

    std::pair<std::string, std::string> ReadTag() {
        const int startLine = line_;
        Advance();  // [
        while (Peek() == ' ' || Peek() == '\t') Advance();
        std::string name;
        while (IsLetter(Peek()) || IsDigit(Peek()) || Peek() == '_') {
            name += Peek();
            Advance();
        }
        if (name.empty()) Fail("a tag pair has no name", startLine);
        while (Peek() == ' ' || Peek() == '\t') Advance();
        if (Peek() != '"') Fail("the value of tag " + Shown(name) + " is not in double quotes", startLine);
        Advance();
        std::string value;
        for (;;) {
            if (AtEnd() || Peek() == '\n') Fail("the value of tag " + Shown(name) + " is not closed", startLine);
            char c = Peek();
            Advance();
            if (c == '"') break;
            if (c == '\\' && !AtEnd() && Peek() != '\n') {
                c = Peek();
                Advance();
            }
            value += c;
        }
        while (Peek() == ' ' || Peek() == '\t' || Peek() == '\r') Advance();
        if (Peek() != ']') Fail("tag pair " + Shown(name) + " is not closed with ]", startLine);
        Advance();
        return {std::move(name), std::move(value)};
    }

    // Reads a brace comment; the opening brace is current. A line that starts a tag pair ends it as
    // unclosed, so that a missing brace costs one game, not the rest of the file.
    std::string ReadBraceComment() {
        const int startLine = line_;
        Advance();
        std::string comment;
        for (;;) {
            if (AtEnd()) Fail("comment not closed", startLine);
            if (AtColumnZero(position_) && LooksLikeTagPair(position_)) Fail("comment not closed", startLine);
            const char c = Peek();
            Advance();
            if (c == '}') return comment;
            comment += c;
        }
    }

    std::string ReadLineComment() {
        Advance();
        const std::size_t start = position_;
        SkipRestOfLine();
        std::string comment(text_.substr(start, position_ - start));
        if (!comment.empty() && comment.back() == '\r') comment.pop_back();
        return comment;
    }

    static void AddNag(std::vector<PgnLine*>& lines, int nag, int line) {
        PgnLine& current = *lines.back();
        if (current.moves.empty()) throw ReadFailure{"a NAG before any move", line};
        current.moves.back().nags.push_back(nag);
    }

    void ReadMovetext(PgnGame& game) {
        std::vector<PgnLine*> lines{&game.mainLine};
        std::vector<int> openedAt;
        auto finish = [&](std::string result) {
            game.result = std::move(result);
        };
        for (;;) {
            SkipSpace();
            const int tokenLine = line_;
            const char c = Peek();
            if (AtEnd() || c == '[') {
                if (lines.size() > 1)
                    Fail("variation opened at line " + std::to_string(openedAt.back()) + " is not closed", tokenLine);
                // The result is missing: the Result tag stands in for it.
                const std::string tagged = TagValue(game, "Result");
                finish(IsResult(tagged) ? tagged : "*");
                return;
            }
            PgnLine& current = *lines.back();
            if (c == '{' || c == ';') {
                std::string comment = c == '{' ? ReadBraceComment() : ReadLineComment();
                if (current.moves.empty()) current.comments.push_back(std::move(comment));
                else current.moves.back().comments.push_back(std::move(comment));
            } else if (c == '(') {
                if (current.moves.empty()) Fail("a variation before any move", tokenLine);
                if (static_cast<int>(lines.size()) > MaxVariationDepth)
                    Fail("variations nested deeper than " + std::to_string(MaxVariationDepth), tokenLine);
                Advance();
                current.moves.back().variations.emplace_back();
                lines.push_back(&current.moves.back().variations.back());
                openedAt.push_back(tokenLine);
            } else if (c == ')') {
                if (lines.size() == 1) Fail("')' without a variation to close", tokenLine);
                Advance();
                lines.pop_back();
                openedAt.pop_back();
            } else if (c == '$') {
                Advance();
                std::string digits;
                while (IsDigit(Peek()) && digits.size() < 4) {
                    digits += Peek();
                    Advance();
                }
                if (digits.empty() || IsDigit(Peek()) || std::stoi(digits) > 255) Fail("a NAG must be $0 to $255", tokenLine);
                AddNag(lines, std::stoi(digits), tokenLine);
            } else if (c == '!' || c == '?') {
                const std::string glyph = ReadGlyph();
                if (!GlyphNag(glyph)) Fail("unknown mark " + Shown(glyph), tokenLine);
                AddNag(lines, GlyphNag(glyph), tokenLine);
            } else if (c == '.') {
                Advance();
            } else if (c == '*') {
                Advance();
                if (lines.size() > 1) Fail("a result inside a variation", tokenLine);
                finish("*");
                return;
            } else if (IsLetter(c) || IsDigit(c)) {
                const std::size_t start = position_;
                while (IsSymbolChar(Peek())) Advance();
                const std::string word(text_.substr(start, position_ - start));
                if (IsResult(word)) {
                    if (lines.size() > 1) Fail("a result inside a variation", tokenLine);
                    finish(word);
                    return;
                }
                if (IsNullMoveText(word)) {
                    AddMove(current, word, tokenLine);  // 0000 or Z0
                    continue;
                }
                bool allDigits = true;
                for (char d : word) allDigits = allDigits && IsDigit(d);
                if (allDigits) continue;  // a move number; its dots are skipped on their own
                if (IsDigit(word[0]) && word.rfind("0-0", 0) != 0) Fail("unreadable text " + Shown(word), tokenLine);
                AddMove(current, word, tokenLine);
            } else if (c == '-' || c == '@') {
                // A null move written -- or @@@@.
                const std::size_t start = position_;
                while (Peek() == c) Advance();
                const std::string word(text_.substr(start, position_ - start));
                if (!IsNullMoveText(word) || IsSymbolChar(Peek()))
                    Fail("unexpected character '" + Shown(word.substr(0, 1)) + "'", tokenLine);
                AddMove(current, word, tokenLine);
            } else {
                Fail("unexpected character '" + Shown(std::string_view(&text_[position_], 1)) + "'", tokenLine);
            }
        }
    }

    // A move as written, with the judgement mark written right after it.
    void AddMove(PgnLine& line, const std::string& text, int sourceLine) {
        PgnMove move;
        move.text = text;
        move.sourceLine = sourceLine;
        line.moves.push_back(std::move(move));
        if (Peek() == '!' || Peek() == '?') {
            const std::string glyph = ReadGlyph();
            if (!GlyphNag(glyph)) Fail("unknown mark " + Shown(glyph), sourceLine);
            line.moves.back().nags.push_back(GlyphNag(glyph));
        }
    }

    std::string ReadGlyph() {
        std::string glyph;
        while ((Peek() == '!' || Peek() == '?') && glyph.size() < 3) {
            glyph += Peek();
            Advance();
        }
        return glyph;
    }

    // After an unreadable part, finds where the next game can begin: past the rest of the tag section,
    // then at the next result or at a line that starts with [.
    void Resynchronise(bool inTags) {
        if (inTags) {
            // The rest of the tag section, with the same rule for where the next game begins.
            if (std::string name = TagNameAt(tagStart_); !name.empty()) tagNames_.insert(std::move(name));
            SkipRestOfLine();
            for (;;) {
                const std::size_t mark = position_;
                const int markLine = line_;
                const int lineEnds = SkipSpace();
                if (Peek() != '[' && !AtEnd()) break;
                const std::string name = TagNameAt(position_);
                if (AtEnd() || (name.empty() ? lineEnds >= 2 : StartsNextGame(name, lineEnds >= 2))) {
                    position_ = mark;
                    line_ = markLine;
                    return;
                }
                tagNames_.insert(name);
                SkipRestOfLine();
            }
        }
        while (!AtEnd()) {
            const char c = Peek();
            if (c == '%' && AtColumnZero(position_)) {
                SkipRestOfLine();
            } else if (c == '[' && AtLineStart(position_)) {
                return;
            } else if (c == '{') {
                Advance();
                while (!AtEnd() && Peek() != '}' && !(AtColumnZero(position_) && LooksLikeTagPair(position_))) Advance();
                if (Peek() == '}') Advance();
            } else if (c == ';') {
                SkipRestOfLine();
            } else if (c == '*') {
                Advance();
                return;
            } else if (IsLetter(c) || IsDigit(c)) {
                const std::size_t start = position_;
                while (IsSymbolChar(Peek())) Advance();
                if (IsResult(text_.substr(start, position_ - start))) return;
            } else {
                Advance();
            }
        }
    }

    std::string_view text_;
    std::size_t textStart_ = 0;  // after a byte-order mark
    std::size_t position_ = 0;
    int line_ = 1;
    // The names of the current game's tags and where its last tag pair began, for finding its end.
    std::unordered_set<std::string> tagNames_;
    std::size_t tagStart_ = 0;
};

}  // namespace

std::vector<PgnGame> ReadPgn(std::string_view text) {
    Reader reader(text);
    std::vector<PgnGame> games;
    for (;;) {
        reader.SkipSpace();
        if (reader.AtEnd()) break;
        games.push_back(reader.ReadGame());
    }
    return games;
}

std::string GameTextAsRead(std::string_view text, const PgnGame& game) {
    // What began a game in mid-line or after a byte-order mark, % or the mark's own bytes, would be read
    // as an escape line or a byte-order mark at the start of a line or a file.
    const std::string_view start = text.substr(game.begin, 3);
    std::string copy = start.substr(0, 1) == "%" || start == ByteOrderMark ? " " : "";
    copy += text.substr(game.begin, game.end - game.begin);
    while (!copy.empty() && (copy.back() == '\n' || copy.back() == '\r' || copy.back() == ' ')) copy.pop_back();
    return copy + "\n\n";
}

}  // namespace zarn::cli

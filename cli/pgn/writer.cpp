// PGN export: tags with escapes, movetext as tokens laid out on lines of at most 79 columns.
#include "cli/pgn/writer.h"

#include <string_view>
#include <vector>

#include "cli/pgn/san.h"

namespace zarn::cli {
namespace {

constexpr std::size_t LineWidth = 79;
constexpr std::size_t LongestWord = 240;

std::string EscapedTagValue(std::string_view value) {
    if (value.size() > MaxTagValueBytes) {
        std::size_t cut = MaxTagValueBytes;
        while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;  // keep UTF-8 whole
        value = value.substr(0, cut);
    }
    std::string text;
    for (char c : value) {
        if (c == '\\' || c == '"') text += '\\';
        text += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
    }
    return text;
}

// Lays words out on lines; a line never starts with % (an escape line) or [ (a tag pair), and a move
// number stays on the line of its move.
class Layout {
public:
    void Word(std::string_view word) {
        while (word.size() > LongestWord) {
            Word(word.substr(0, LongestWord));
            word.remove_prefix(LongestWord);
        }
        const std::string full = attached_ + std::string(word);
        attached_.clear();
        if (!line_.empty() && line_.size() + 1 + full.size() > LineWidth) Break();
        if (!line_.empty()) line_ += ' ';
        else if (!full.empty() && (full[0] == '%' || full[0] == '[')) line_ += ' ';
        line_ += full;
    }

    // A move number goes with the word after it, the move.
    void MoveNumber(std::string_view number) {
        attached_ += number;
        attached_ += ' ';
    }

    // Parentheses stick to the first and last word of the variation.
    void Open() { attached_ += '('; }
    void Close() {
        if (!attached_.empty()) {
            attached_.pop_back();  // only an empty variation closes with its ( still waiting
            Word("()");
        } else if (!line_.empty() && line_.size() < LineWidth) {
            line_ += ')';
        } else {
            Word(")");
        }
    }

    // A comment: its words keep their order; a closing brace inside becomes ), for it would end it.
    void Comment(std::string_view comment) {
        std::vector<std::string> words;
        std::string word;
        bool inCommand = false;  // [%eval 0.35] and the like stay on one line
        for (std::size_t i = 0; i < comment.size(); ++i) {
            const char c = comment[i];
            if (c == '[' && i + 1 < comment.size() && comment[i + 1] == '%') inCommand = true;
            if (c == ']') inCommand = false;
            if ((c == ' ' || c == '\n' || c == '\r' || c == '\t') && inCommand && word.size() < LongestWord) {
                word += ' ';
            } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
                if (!word.empty()) words.push_back(std::move(word));
                word.clear();
            } else {
                word += c == '}' ? ')' : c;
            }
        }
        if (!word.empty()) words.push_back(std::move(word));
        if (words.empty()) {
            Word("{}");
            return;
        }
        words.front() = std::string("{").append(words.front());
        words.back() += '}';
        for (const std::string& w : words) Word(w);
    }

    std::string Finish() {
        Break();
        return std::move(text_);
    }

private:
    void Break() {
        if (line_.empty()) return;
        text_ += line_;
        text_ += '\n';
        line_.clear();
    }

    std::string text_;
    std::string line_;
    std::string attached_;  // opening parentheses and a move number, written with the next word
};

void WriteLine(Layout& layout, const PgnLine& line, int firstMoveNumber, int firstSide, int plyOffset) {
    for (const std::string& comment : line.comments) layout.Comment(comment);
    bool needNumber = true;
    for (std::size_t i = 0; i < line.moves.size(); ++i) {
        const PgnMove& move = line.moves[i];
        const int ply = plyOffset + static_cast<int>(i);                   // plies after the game's start
        const int side = (ply % 2 == 0) ? firstSide : 1 - firstSide;
        const int number = firstMoveNumber + (ply + (firstSide == Black ? 1 : 0)) / 2;
        if (side == White) layout.MoveNumber(std::to_string(number) + ".");
        else if (needNumber) layout.MoveNumber(std::to_string(number) + "...");
        layout.Word(IsNullMoveText(move.text) ? NullMoveText : move.san.empty() ? std::string_view(move.text) : move.san);
        for (int nag : move.nags) layout.Word(std::string("$").append(std::to_string(nag)));
        for (const std::string& comment : move.comments) layout.Comment(comment);
        for (const PgnLine& variation : move.variations) {
            layout.Open();
            WriteLine(layout, variation, firstMoveNumber, firstSide, ply);
            layout.Close();
        }
        needNumber = !move.comments.empty() || !move.variations.empty();
    }
}

}  // namespace

std::string WritePgn(const PgnGame& game) {
    std::string text;
    for (const auto& [name, value] : game.tags) text += "[" + name + " \"" + EscapedTagValue(value) + "\"]\n";
    text += '\n';
    Layout layout;
    WriteLine(layout, game.mainLine, game.firstMoveNumber, game.firstSide, 0);
    layout.Word(game.result);
    text += layout.Finish();
    text += '\n';
    return text;
}

}  // namespace zarn::cli

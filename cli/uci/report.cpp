// Report translation shared by the UCI session and the analyse command.
#include "cli/uci/report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "engine/board/types.h"
#include "engine/interface/report.h"
#include "engine/search/stack.h"
#include "engine/search/table_line.h"

namespace zarn::cli {

void NodeCounter::Reset() {
    last_ = 0;
    total_ = 0;
}

std::uint64_t NodeCounter::Extend(int reported) {
    const auto raw = static_cast<std::uint32_t>(reported);
    // The count only grows within an analysis, so a smaller value means the 32 bits wrapped.
    total_ += static_cast<std::uint32_t>(raw - last_);
    last_ = raw;
    return total_;
}

// The farthest mate the search can see lies MaxPly plies from the root: every score from there on
// is a mate.
constexpr int DeepestMateScore = MateScore - MaxPly;

ReportedScore ScoreFromEngine(int score) {
    // A side mated at ply p scores p - MateScore; the root is ply 1, so a mate p plies from the
    // root is p / 2 full moves away for the winner.
    // Window bounds next to a mate score may lie beyond MateScore; they still count as one move.
    if (score >= DeepestMateScore) return {true, std::max(1, (MateScore - score + 1) / 2)};
    if (score <= -DeepestMateScore) return {true, -std::max(1, (MateScore + score) / 2)};
    return {false, score};
}

std::string UciScoreText(const ReportedScore& score) {
    return (score.mate ? "mate " : "cp ") + std::to_string(score.value);
}

std::string ReadableScoreText(const ReportedScore& score) {
    if (score.mate)
        return (score.value > 0 ? "mate in " : "mated in ") + std::to_string(std::abs(score.value));
    char text[32];
    const int magnitude = std::abs(score.value);
    std::snprintf(text, sizeof text, "%c%d.%02d", score.value < 0 ? '-' : '+', magnitude / 100, magnitude % 100);
    return text;
}

std::vector<std::string> LineMoves(const RootLine& line) {
    std::vector<std::string> moves;
    for (int i = 0; i < MaxPly && line.Moves[i] != 0; ++i) moves.push_back(CoordinateMove(line.Moves[i]));
    return moves;
}

RootLine FullLine(const RootLine& line) {
    RootLine full = line;
    ExtendLineFromTable(full);
    return full;
}

bool SameResult(const RootLine& a, const RootLine& b) {
    if (a.Score != b.Score || a.Depth != b.Depth) return false;
    for (int i = 0; i < MaxPly; ++i) {
        if (a.Moves[i] != b.Moves[i]) return false;
        if (a.Moves[i] == 0) return true;
    }
    return true;
}

bool MateProven(const RootLine& line) {
    // Extensions and table hits can bring a mate into view before the iteration depth reaches its
    // length, while a shorter mate may still lie beyond that depth. Once the depth covers the mate
    // (the winner's last move, or for the side being mated the opponent's), every shorter mate lay
    // within the depth of this or an earlier iteration.
    const ReportedScore score = ScoreFromEngine(line.Score);
    if (!score.mate || line.Moves[0] == 0) return false;
    const int moves = std::abs(score.value);
    return line.Depth >= (score.value > 0 ? 2 * moves - 1 : 2 * moves);
}

std::string LowerCaseMove(std::string_view move) {
    std::string text(move);
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string CoordinateMove(Move move) {
    char text[MoveTextSize];
    return LowerCaseMove(MoveText(move, text));
}

std::uint64_t NodesPerSecond(std::uint64_t nodes, std::int64_t elapsedMs) {
    if (elapsedMs <= 0) return 0;
    return nodes * 1000 / static_cast<std::uint64_t>(elapsedMs);
}

}  // namespace zarn::cli

// Turning the engine's raw reports into what the program prints: node counts past 32 bits, scores
// in centipawns or moves to mate, and variations in lower-case coordinate moves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/search/root_result.h"

namespace zarn::cli {

// The engine counts nodes in 32 bits; this keeps the count rising past 2^32 by noticing wrap-arounds.
// Counts come from one analysis at a time, which starts from zero.
class NodeCounter {
public:
    void Reset();
    std::uint64_t Extend(int reported);
    std::uint64_t Current() const { return total_; }

private:
    std::uint32_t last_ = 0;
    std::uint64_t total_ = 0;
};

// A score from the root side's point of view: centipawns, or full moves to mate (negative when the
// root side is mated).
struct ReportedScore {
    bool mate = false;
    int value = 0;
};
ReportedScore ScoreFromEngine(int score);
// "cp 23" or "mate -3".
std::string UciScoreText(const ReportedScore& score);
// "+0.23" or "mate in 3" / "mated in 3".
std::string ReadableScoreText(const ReportedScore& score);

enum class LineBound { Exact, Lower, Upper };

struct Mainline {
    LineBound bound = LineBound::Exact;
    std::vector<std::string> moves;
};
// Reads the engine's variation text: moves each followed by a space for an exact score, or one move
// followed by "!" (the score is a lower bound) or "?" (an upper bound).
Mainline ParseMainline(std::string_view text);

// The moves of a root line of the engine in lower-case coordinate notation.
std::vector<std::string> LineMoves(const RootLine& line);

// A move in coordinate notation with its promotion letter in lower case (e7e8Q gives e7e8q).
std::string LowerCaseMove(std::string_view move);

// A move of the engine in the program's coordinate notation: the engine's text in lower case (e7e8q).
std::string CoordinateMove(Move move);

// Nodes per second, 0 for no elapsed time.
std::uint64_t NodesPerSecond(std::uint64_t nodes, std::int64_t elapsedMs);

}  // namespace zarn::cli

// Turning the engine's raw reports into what the program prints: node counts past 32 bits, scores
// in centipawns or moves to mate, variations in lower-case coordinate moves continued from the table,
// and whether a mate is proven.
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

// The moves of a root line of the engine in lower-case coordinate notation.
std::vector<std::string> LineMoves(const RootLine& line);

// The line continued from the table where the search cut it short, up to its depth: only while the
// search waits at its root or once it has ended.
RootLine FullLine(const RootLine& line);
// The same score, depth and moves.
bool SameResult(const RootLine& a, const RootLine& b);
// The line's score is a mate at a distance its depth covers: a mate in n moves from 2n - 1 plies on,
// mated in n from 2n plies on.
bool MateProven(const RootLine& line);

// A move in coordinate notation with its promotion letter in lower case (e7e8Q gives e7e8q).
std::string LowerCaseMove(std::string_view move);

// A move of the engine in the program's coordinate notation: the engine's text in lower case (e7e8q).
std::string CoordinateMove(Move move);

// Nodes per second, 0 for no elapsed time.
std::uint64_t NodesPerSecond(std::uint64_t nodes, std::int64_t elapsedMs);

}  // namespace zarn::cli

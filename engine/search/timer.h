// Search limits, the analysis clock and the stop decision.
#pragma once

#include <atomic>
#include <cstdint>

namespace zarn {

// How an analysis is limited (the LimitMode of SearchLimits): until stopped, by depth, by a base time
// plus an increment, or by a number of moves in a time.
enum class LimitKind : std::int32_t { Infinite = 0, FixedDepth = 3, Blitz = 5, TimeControl = 6 };

struct SearchLimits {
    LimitKind LimitMode = LimitKind::Infinite;
    std::int32_t LimitTimeMs = 0;
    std::int32_t LimitIncrementMs = 0;
    std::int32_t LimitMovesToGo = 0;
    std::int32_t LimitDepth = 0;
};

extern SearchLimits Limits;

// Written by the ponder hit from another thread while the analysis runs.
extern std::atomic<std::int32_t> Pondering;
extern std::atomic<std::int32_t> PonderElapsedMs;
extern std::atomic<std::int64_t> SearchStartClock;

// The limit setters behind the exports.
void SetTimeControl(int moves, int seconds);
void SetBlitz(int seconds, int incrementSeconds);
void SetFixedDepth(int plies);
void SetInfinite();
// The ponder hit: the time spent so far counts as pondering time and the clock restarts.
void PonderHit();

// The clock the engine reads, in milliseconds; tests may put their own in place (null restores
// the platform clock).
using ClockFunction = std::int64_t (*)();
void SetClock(ClockFunction clock);
std::int64_t ReadClock();

void StartClock();
int ElapsedMs();

// 1 when the analysis must end. ply 1: asked by the root before a root move; any other ply: asked
// from inside the tree.
int ShouldStop(int depth, int ply);

}  // namespace zarn

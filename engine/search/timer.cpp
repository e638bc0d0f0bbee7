// Search limits and time management: the setters, the clock and ShouldStop.
#include "engine/search/timer.h"

#include <algorithm>
#include <climits>

#include "engine/interface/options.h"
#include "engine/search/extra_limits.h"
#include "engine/search/root.h"
#include "engine/threads/pool.h"
#include "platform/platform.h"

namespace zarn {

SearchLimits Limits;
std::atomic<std::int32_t> Pondering{0};
std::atomic<std::int32_t> PonderElapsedMs{0};
std::atomic<std::int64_t> SearchStartClock{0};

namespace {

ClockFunction clockFunction = &platform::ElapsedMilliseconds;

std::int32_t Milliseconds(int seconds) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{seconds} * 1000, INT_MIN, INT_MAX));
}

// Time per move: a time control shares the remaining time out over the moves to go (at least one).
std::int64_t TimeControlAllotment() { return Limits.LimitTimeMs / std::max(Limits.LimitMovesToGo, 1); }

std::int64_t BlitzBase() { return Limits.LimitTimeMs / std::max(Options.BlitzPlayingSpeed, 1); }

}  // namespace

void SetTimeControl(int moves, int seconds) {
    Limits.LimitMode = LimitKind::TimeControl;
    Limits.LimitMovesToGo = std::max(moves, 1);  // no moves to go would divide by zero
    Limits.LimitTimeMs = Milliseconds(seconds);
}

void SetBlitz(int seconds, int incrementSeconds) {
    Limits.LimitMode = LimitKind::Blitz;
    Limits.LimitMovesToGo = 0;
    Limits.LimitTimeMs = Milliseconds(seconds);
    Limits.LimitIncrementMs = Milliseconds(incrementSeconds);
}

void SetFixedDepth(int plies) {
    Limits.LimitMode = LimitKind::FixedDepth;
    Limits.LimitDepth = plies;
}

void SetInfinite() { Limits.LimitMode = LimitKind::Infinite; }

void PonderHit() {
    Pondering.store(0, std::memory_order_relaxed);
    PonderElapsedMs.store(ElapsedMs(), std::memory_order_relaxed);
    StartClock();
}

void SetClock(ClockFunction clock) { clockFunction = clock ? clock : &platform::ElapsedMilliseconds; }

std::int64_t ReadClock() { return clockFunction(); }

void StartClock() { SearchStartClock.store(ReadClock(), std::memory_order_relaxed); }

int ElapsedMs() {
    const std::int64_t elapsed = ReadClock() - SearchStartClock.load(std::memory_order_relaxed);
    return static_cast<int>(std::clamp<std::int64_t>(elapsed, INT_MIN, INT_MAX));
}

int ShouldStop(int depth, int ply) {
    if (Pondering.load(std::memory_order_relaxed)) return 0;
    if (NodeLimitReached() || (ply == 1 && MateLimitReached())) return 1;
    // The clock is the main searcher's to watch; a helper stops when the main searcher does.
    if constexpr (ThreadedBuild)
        if (IsHelperThread()) return 0;
    // 64-bit products: large time controls must not overflow the percentages.
    const std::int64_t e = ElapsedMs();
    const std::int64_t p = PonderElapsedMs.load(std::memory_order_relaxed);

    if (ply != 1) {
        if (Limits.LimitMode == LimitKind::TimeControl) {
            const std::int64_t a = TimeControlAllotment();
            if (100 * e >= 400 * a) return 1;
            return Limits.LimitTimeMs - e - 1000 <= (a / 2) * (std::max(Limits.LimitMovesToGo, 1) - 1) ? 1 : 0;
        }
        if (Limits.LimitMode == LimitKind::Blitz) return 100 * e >= 600 * BlitzBase() ? 1 : 0;
        return 0;
    }

    std::int64_t a = 0;
    switch (Limits.LimitMode) {
        case LimitKind::TimeControl:
            a = TimeControlAllotment();
            break;
        case LimitKind::Blitz:
            a = BlitzBase() + Limits.LimitIncrementMs;
            if (e > Limits.LimitTimeMs) return 1;
            break;
        case LimitKind::FixedDepth:
            return depth / 60 > Limits.LimitDepth ? 1 : 0;
        default:
            return 0;
    }

    if (CurrentRootMoveIndex == 1) {
        // A best move that changed within the last two iterations earns more time.
        const int percent = depth - BestMoveChangeDepth < 180 ? 70 : 50;
        return 100 * (p + e) > percent * (p + a) ? 1 : 0;
    }
    if (CurrentRootMoveIndex <= 5) return 0;
    if (RootInstability != 0) return 0;
    return 100 * (p + e) > 100 * (p + a) ? 1 : 0;
}

}  // namespace zarn

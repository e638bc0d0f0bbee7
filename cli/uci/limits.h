// The go command: its parameters, the engine limit chosen for them, and the time after which the
// program stops the search itself. The engine counts whole seconds; the program keeps the exact
// milliseconds and a safety margin, so that a search never overruns the clock.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::cli {

struct GoRequest {
    std::int64_t time[2] = {-1, -1};      // remaining time by colour (Black 0, White 1); -1 not given
    std::int64_t increment[2] = {0, 0};
    int movesToGo = 0;                    // 0 not given
    int depth = 0;                        // 0 not given
    std::int64_t moveTime = -1;           // -1 not given
    std::uint64_t nodes = 0;              // 0 not given
    int mate = 0;                         // moves to mate; 0 not given
    bool infinite = false;
    bool ponder = false;
    // One note for each parameter that was skipped: unknown, malformed, out of range or not supported.
    std::vector<std::string> notes;
};

// Reads the words after "go". What cannot be used is skipped with a note; the rest stands.
void ParseGo(std::span<const std::string_view> words, GoRequest& request);

enum class LimitSetter { Infinite, Depth, Blitz, TimeControl };

struct SearchPlan {
    LimitSetter setter = LimitSetter::Infinite;
    int first = 0;   // depth in plies, or seconds
    int second = 0;  // moves to go, or increment seconds
    // The program stops the search this many milliseconds after it starts, or after the ponder hit
    // when pondering; -1 when only the engine's own limit or a stop ends it.
    std::int64_t budgetMs = -1;
    // Infinite analysis: the best move is given only after stop, even when the engine ends earlier.
    bool waitsForStop = false;
    bool ponder = false;
    // Limits the engine applies on top of the setter's: a node budget and a mate distance (0: none).
    std::uint64_t nodes = 0;
    int mate = 0;
};

// side: the side to move, 1 White, 0 Black.
SearchPlan PlanSearch(const GoRequest& request, int side);
// Calls the engine's limit setter for the plan and sets its node and mate limits.
void ApplyLimits(const SearchPlan& plan);

// How long a move may take at most on a clock of timeMs with incrementMs per move and movesToGo moves
// to the next time control (0 for none): never more than the clock less a reserve for the exchange of
// messages, and never less than one millisecond.
std::int64_t ClockBudgetMs(std::int64_t timeMs, std::int64_t incrementMs, int movesToGo);
// How long a search of a fixed move time may run, a little less than asked.
std::int64_t MoveTimeBudgetMs(std::int64_t moveTimeMs);
// Milliseconds as the whole seconds the engine takes, rounded and bounded so that the engine's
// millisecond arithmetic stays within 32 bits.
int WholeSeconds(std::int64_t ms, int atLeast, int atMost);

}  // namespace zarn::cli

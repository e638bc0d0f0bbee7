// Limit mapping for the go command.
#include "cli/uci/limits.h"

#include <algorithm>

#include "cli/text/number.h"
#include "cli/uci/echo.h"
#include "cli/uci/position.h"
#include "engine/board/types.h"
#include "engine/interface/zarn.h"
#include "engine/search/extra_limits.h"

namespace zarn::cli {
namespace {

// The engine multiplies seconds by up to 600 in 32-bit arithmetic: one day on the clock is plenty.
constexpr int MaxClockSeconds = 86400;
constexpr int MaxIncrementSeconds = 3600;
constexpr int MaxDepth = 1000;
constexpr int MaxMovesToGo = 1000;
// Mates further away than the deepest search can see are all the same.
constexpr int MaxMateMoves = 60;
// Longer clocks (over thirty years) are read as this, so that no sum of times can overflow.
constexpr std::int64_t MaxClockMs = 1'000'000'000'000;
// What one move costs beside the search: messages both ways, thread start, position replay.
constexpr std::int64_t MoveOverheadMs = 10;

constexpr std::string_view NumericParameters[] = {"wtime", "btime", "winc", "binc", "movestogo",
                                                  "movetime", "depth", "nodes", "mate"};

bool IsNumericParameter(std::string_view word) {
    return std::find(std::begin(NumericParameters), std::end(NumericParameters), word) != std::end(NumericParameters);
}

bool IsParameter(std::string_view word) {
    return IsNumericParameter(word) || word == "infinite" || word == "ponder" || word == "searchmoves";
}

}  // namespace

void ParseGo(std::span<const std::string_view> words, GoRequest& request) {
    request = GoRequest{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (word == "infinite") {
            request.infinite = true;
            continue;
        }
        if (word == "ponder") {
            request.ponder = true;
            continue;
        }
        if (word == "searchmoves") {
            // Restricting the root moves is not offered: the listed moves are skipped.
            request.notes.push_back("go: searchmoves is not supported and was ignored");
            while (i + 1 < words.size() && IsMoveText(words[i + 1])) ++i;
            continue;
        }
        if (!IsNumericParameter(word)) {
            // Whatever follows up to the next known parameter is taken as the unknown one's values.
            request.notes.push_back("go: unknown parameter " + Quoted(word) + " skipped");
            while (i + 1 < words.size() && !IsParameter(words[i + 1])) ++i;
            continue;
        }
        const std::string name(word);
        if (i + 1 >= words.size() || IsParameter(words[i + 1])) {
            request.notes.push_back("go: " + name + " needs a number; skipped");
            continue;
        }
        std::int64_t value = 0;
        const std::string_view text = words[++i];
        if (!ReadNumber(text, value, PlusSign::Allowed)) {
            request.notes.push_back("go: " + name + " needs a whole number, not " + Quoted(text) + "; skipped");
            continue;
        }
        const bool count = word == "movestogo" || word == "depth" || word == "nodes" || word == "mate";
        if (count && value < 1) {
            request.notes.push_back("go: " + name + " must be at least 1, not " + std::to_string(value) + "; skipped");
            continue;
        }
        // Clocks may run below zero in a lost game; they count as empty.
        const std::int64_t time = std::clamp<std::int64_t>(value, 0, MaxClockMs);
        if (word == "wtime") request.time[White] = time;
        else if (word == "btime") request.time[Black] = time;
        else if (word == "winc") request.increment[White] = time;
        else if (word == "binc") request.increment[Black] = time;
        else if (word == "movetime") request.moveTime = time;
        else if (word == "movestogo") request.movesToGo = static_cast<int>(std::min<std::int64_t>(value, MaxMovesToGo));
        else if (word == "depth") request.depth = static_cast<int>(std::min<std::int64_t>(value, MaxDepth));
        else if (word == "nodes") request.nodes = static_cast<std::uint64_t>(value);
        else request.mate = static_cast<int>(std::min<std::int64_t>(value, MaxMateMoves));
    }
}

std::int64_t ClockBudgetMs(std::int64_t timeMs, std::int64_t incrementMs, int movesToGo) {
    timeMs = std::clamp<std::int64_t>(timeMs, 0, MaxClockMs);
    incrementMs = std::clamp<std::int64_t>(incrementMs, 0, MaxClockMs);
    // The clock must last for the moves still to come (at most 40 are planned for), each of which also
    // costs the exchange of messages and the start of the search; what remains is shared among them.
    const std::int64_t horizon = movesToGo > 0 ? std::min(movesToGo, 40) : 40;
    const std::int64_t pool =
        std::max<std::int64_t>(0, timeMs + incrementMs * (horizon - 1) - MoveOverheadMs * (horizon + 1));
    const std::int64_t share = pool / horizon;
    // Never more than the clock less a reserve: 5%, at least 20 ms, at most 1 s.
    const std::int64_t reserve = std::clamp<std::int64_t>(timeMs / 20, 20, 1000);
    const std::int64_t usable = timeMs > reserve ? timeMs - reserve : timeMs / 2;
    // The engine normally stops within its own share; three of ours cut a long iteration short.
    return std::max<std::int64_t>(1, std::min(usable, 3 * share));
}

std::int64_t MoveTimeBudgetMs(std::int64_t moveTimeMs) {
    moveTimeMs = std::max<std::int64_t>(moveTimeMs, 0);
    return std::max<std::int64_t>(1, moveTimeMs - std::min<std::int64_t>(50, moveTimeMs / 10));
}

int WholeSeconds(std::int64_t ms, int atLeast, int atMost) {
    const std::int64_t seconds = (std::max<std::int64_t>(ms, 0) + 500) / 1000;
    return static_cast<int>(std::clamp<std::int64_t>(seconds, atLeast, atMost));
}

SearchPlan PlanSearch(const GoRequest& request, int side) {
    SearchPlan plan;
    plan.ponder = request.ponder;
    const std::int64_t ownTime = request.time[side & 1];
    const std::int64_t ownIncrement = request.increment[side & 1];
    const bool clock = ownTime >= 0;
    plan.nodes = request.nodes;
    plan.mate = request.mate;
    const bool bounded = clock || request.depth > 0 || request.moveTime >= 0 || request.nodes > 0 || request.mate > 0;
    if (request.infinite || !bounded) {
        plan.setter = LimitSetter::Infinite;
        plan.waitsForStop = true;
        return plan;
    }
    if (request.depth > 0) {
        plan.setter = LimitSetter::Depth;
        plan.first = request.depth;
    } else if (clock && request.moveTime < 0) {
        // The engine plans with whole seconds; a clock below one second still counts as one, since the
        // program's own stop keeps the search within the real time.
        const std::int64_t usable = ownTime - std::clamp<std::int64_t>(ownTime / 20, 20, 1000);
        if (request.movesToGo > 0) {
            plan.setter = LimitSetter::TimeControl;
            plan.first = WholeSeconds(usable, 1, MaxClockSeconds);
            plan.second = request.movesToGo;
        } else {
            plan.setter = LimitSetter::Blitz;
            plan.first = WholeSeconds(usable, 1, MaxClockSeconds);
            plan.second = WholeSeconds(ownIncrement, 0, MaxIncrementSeconds);
        }
    } else {
        plan.setter = LimitSetter::Infinite;
    }
    if (request.moveTime >= 0) plan.budgetMs = MoveTimeBudgetMs(request.moveTime);
    if (clock) {
        const std::int64_t budget = ClockBudgetMs(ownTime, ownIncrement, request.movesToGo);
        plan.budgetMs = plan.budgetMs < 0 ? budget : std::min(plan.budgetMs, budget);
    }
    return plan;
}

void ApplyLimits(const SearchPlan& plan) {
    SetExtraLimits({plan.nodes, plan.mate});
    switch (plan.setter) {
        case LimitSetter::Depth: ZarnSetDepth(plan.first); break;
        case LimitSetter::Blitz: ZarnSetBlitz(plan.first, plan.second); break;
        case LimitSetter::TimeControl: ZarnSetTime(plan.second, plan.first); break;
        case LimitSetter::Infinite: ZarnSetInfinite(); break;
    }
}

}  // namespace zarn::cli

// History counters of quiet moves that proved best, one table per side, indexed by from + 64 * to.
#pragma once

#include <cstdint>

#include "engine/threads/per_thread.h"

namespace zarn {

inline constexpr int HistorySize = 4096;

// [side][from + 64 * to]; side as in types.h (Black = 0, White = 1).
extern ZARN_PER_THREAD std::int32_t History[2][HistorySize];

// Shifts every counter of both tables right by 8 bits (as unsigned), so old successes fade.
void AgeHistory();

// Sets every counter of both tables to 0.
void ClearHistory();

}  // namespace zarn

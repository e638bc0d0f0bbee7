// Storage and ageing of the history counters.
#include "engine/search/history.h"

namespace zarn {

ZARN_PER_THREAD std::int32_t History[2][HistorySize];

void AgeHistory() {
    for (auto& table : History)
        for (std::int32_t& counter : table)
            counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) >> 8);
}

void ClearHistory() {
    for (auto& table : History)
        for (std::int32_t& counter : table) counter = 0;
}

}  // namespace zarn

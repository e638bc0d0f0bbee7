// Storage of the adapter's shared state.
#include "adapter/state.h"

#include "platform/platform.h"

namespace zarn::adapter {

HostRecords Records;
alignas(4) std::int32_t StartedFlag = 0;
std::atomic<std::int32_t> Searching{0};
std::atomic<std::int32_t> StopRequested{0};
std::atomic<std::int32_t> PonderAllowed{1};
std::uint32_t SearchStartTick = 0;

std::int32_t ExchangeStartedFlag(std::int32_t value) { return platform::AtomicExchange(&StartedFlag, value); }

std::int32_t StartedFlagValue() {
    return std::atomic_ref<std::int32_t>(StartedFlag).load(std::memory_order_relaxed);
}

}  // namespace zarn::adapter

// The adapter's state shared by its exports: the host's records and the flags of the engine's lifecycle.
#pragma once

#include <atomic>
#include <cstdint>

#include "adapter/records.h"

namespace zarn::adapter {

// The five host records handed over by Eng1, held until Eng2. They belong to the host.
struct HostRecords {
    MainlineRecord* Mainline = nullptr;
    CurrentMoveRecord* CurrentMove = nullptr;
    DepthRecord* Depth = nullptr;
    NodesRecord* Nodes = nullptr;
    SetupRecord* Setup = nullptr;
};
extern HostRecords Records;

// Set while an engine is started; changed only by an atomic exchange so that two overlapping starts
// cannot both succeed.
extern std::int32_t StartedFlag;
std::int32_t ExchangeStartedFlag(std::int32_t value);
std::int32_t StartedFlagValue();

// Flags that the host's other thread reads or writes while a search runs.
extern std::atomic<std::int32_t> Searching;
extern std::atomic<std::int32_t> StopRequested;
extern std::atomic<std::int32_t> PonderAllowed;

// Tick count at the start of the current search, for the elapsed time of the reports.
extern std::uint32_t SearchStartTick;

// Relaxed access is all these flags need: each is a single word polled by the other side.
inline std::int32_t Load(const std::atomic<std::int32_t>& flag) { return flag.load(std::memory_order_relaxed); }
inline void Store(std::atomic<std::int32_t>& flag, std::int32_t value) {
    flag.store(value, std::memory_order_relaxed);
}

}  // namespace zarn::adapter

// Stopping an analysis that may not have begun yet: the engine forgets a stop that reaches it before
// its analysis begins, so the stop is repeated until the analysis has ended.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "engine/interface/zarn.h"

namespace zarn::cli {

inline constexpr std::chrono::milliseconds StopRepeatInterval{2};
// For a caller that waits as long as the analysis takes to end.
inline constexpr std::chrono::steady_clock::duration NoStopLimit = std::chrono::steady_clock::duration::max();

// Calls stop() until ended() holds, with pause(StopRepeatInterval) after each call (a pause may end
// early once the analysis has ended). False when the analysis has not ended after limit.
template <typename Stop, typename Ended, typename Pause>
bool RepeatStopUntilEnded(Stop stop, Ended ended, Pause pause, std::chrono::steady_clock::duration limit) {
    const auto started = std::chrono::steady_clock::now();
    while (!ended()) {
        if (std::chrono::steady_clock::now() - started > limit) return false;
        stop();
        pause(StopRepeatInterval);
    }
    return true;
}

// The engine's own stop; the pauses wait on the condition variable with the lock held, which the
// searching thread notifies once it has set, under the lock, what ended() reads.
template <typename Ended>
bool StopAnalysisUntilEnded(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, Ended ended,
                            std::chrono::steady_clock::duration limit) {
    return RepeatStopUntilEnded([] { ZarnStopAnalyse(); }, ended,
                                [&](std::chrono::milliseconds pause) { changed.wait_for(lock, pause, ended); }, limit);
}

}  // namespace zarn::cli

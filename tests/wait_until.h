// A bounded wait for tests that watch another thread: the test fails instead of hanging.
#pragma once

#include <chrono>
#include <thread>

namespace zarn::testing {

// Waits until the condition holds, at most the limit; false when it never did.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace zarn::testing

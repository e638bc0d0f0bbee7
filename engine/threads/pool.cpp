// The helper pool: helper threads, the start and stop of their searches, their node counts.
#include "engine/threads/pool.h"

#include <algorithm>

#if ZARN_THREADED
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/eval/pawns.h"
#include "engine/search/extra_limits.h"
#include "engine/search/root.h"
#include "engine/search/search.h"
#include "engine/threads/thread_state.h"
#include "platform/platform.h"
#endif

namespace zarn {

#if ZARN_THREADED

namespace {

// 0 for the main searcher (any thread that runs an analysis), 1 and up for the helpers.
constinit thread_local int threadIndex = 0;

struct alignas(64) NodeSlot {
    std::atomic<std::uint64_t> Nodes{0};
};

// A helper that does not leave its search this long after the stop is a fault; the program ends
// rather than wait for ever.
constexpr auto StopLimit = std::chrono::seconds(30);

class Pool {
public:
    ~Pool() { Resize(0); }

    int Resize(int helpers) {
        std::unique_lock lock(mutex_);
        WaitUntilIdle(lock);
        helpers = std::clamp(helpers, 0, MaxSearchThreads - 1);
        // Fewer: the surplus helpers, waiting between analyses, see that they must end.
        if (helpers < wanted_) {
            wanted_ = helpers;
            wake_.notify_all();
            exited_.wait_for(lock, StopLimit, [&] { return alive_ == wanted_; });
            if (alive_ != wanted_) Fail("a helper thread did not end");
            lock.unlock();
            for (std::size_t i = static_cast<std::size_t>(helpers); i < threads_.size(); ++i) threads_[i].join();
            threads_.resize(static_cast<std::size_t>(helpers));
            return helpers;
        }
        // More: each new helper starts waiting for the next analysis.
        while (wanted_ < helpers) {
            try {
                threads_.emplace_back(&Pool::HelperMain, this, wanted_ + 1, generation_);
            } catch (const std::system_error&) {
                break;
            }
            ++wanted_;
            ++alive_;
        }
        return wanted_;
    }

    int Helpers() {
        std::lock_guard lock(mutex_);
        return wanted_;
    }

    void Start(int side) {
        std::unique_lock lock(mutex_);
        if (threadIndex != 0) return;
        if (wanted_ == 0) {
            // Alone: nodes and node checks as without threads, whatever the last analysis had.
            if (active_.load(std::memory_order_relaxed) != 1) {
                active_.store(1, std::memory_order_relaxed);
                NodeCountdown = CountdownToNextCheck();
            }
            return;
        }
        // Helpers of the last analysis may still be leaving theirs.
        WaitUntilIdle(lock);
        if (!root_) root_ = std::make_unique<ThreadStateCopy>();
        root_->Save();
        for (NodeSlot& slot : slots_) slot.Nodes.store(0, std::memory_order_relaxed);
        side_ = side;
        running_ = wanted_;
        active_.store(wanted_ + 1, std::memory_order_relaxed);
        ++generation_;
        wake_.notify_all();
        // The main searcher's next node check comes as early as the helpers' do.
        NodeCountdown = std::min(NodeCountdown, CountdownToNextCheck());
    }

    void Stop() {
        std::unique_lock lock(mutex_);
        if (running_ == 0) return;
        StopFlag.store(1, std::memory_order_relaxed);
        if (!early_) WaitUntilIdle(lock);
    }

    void Wait() {
        std::unique_lock lock(mutex_);
        WaitUntilIdle(lock);
    }

    void SetEarly(bool early) {
        std::lock_guard lock(mutex_);
        early_ = early;
    }

    int Active() const { return active_.load(std::memory_order_relaxed); }

    void Publish(std::uint64_t nodes) { slots_[threadIndex].Nodes.store(nodes, std::memory_order_relaxed); }

    std::uint64_t Others() const {
        const int active = Active();
        std::uint64_t sum = 0;
        for (int i = 0; i < active; ++i)
            if (i != threadIndex) sum += slots_[i].Nodes.load(std::memory_order_relaxed);
        return sum;
    }

private:
    void WaitUntilIdle(std::unique_lock<std::mutex>& lock) {
        if (!finished_.wait_for(lock, StopLimit, [&] { return running_ == 0; })) Fail("a helper thread did not stop");
    }

    [[noreturn]] static void Fail(const char* what) {
        std::fprintf(stderr, "zarn: %s\n", what);
        std::abort();
    }

    void HelperMain(int index, std::uint64_t seen) {
        threadIndex = index;
        platform::NameThisThread(("zarn-helper-" + std::to_string(index)).c_str());
        // A pawn table of the helper's own: no entry is ever shared.
        AllocatePawnHash();
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return index > wanted_ || generation_ != seen; });
            if (index > wanted_) break;
            seen = generation_;
            const int side = side_;
            const int threads = wanted_ + 1;
            lock.unlock();
            root_->Restore();
            NodeCountdown = StartNodeTally();
            HelperRootSearch(side, index, threads);
            PublishNodes(ThreadNodes());
            lock.lock();
            if (--running_ == 0) finished_.notify_all();
        }
        --alive_;
        exited_.notify_all();
        lock.unlock();
        FreePawnHash();
    }

    std::mutex mutex_;
    std::condition_variable wake_;      // helpers: an analysis starts, or some must end
    std::condition_variable finished_;  // the main searcher: every helper left its search
    std::condition_variable exited_;    // a helper ended
    std::vector<std::thread> threads_;
    int wanted_ = 0;   // helpers in use
    int alive_ = 0;    // helper threads not yet ended
    int running_ = 0;  // helpers within the current search
    std::uint64_t generation_ = 0;  // analyses started
    int side_ = 1;
    bool early_ = false;  // an analysis returns before its helpers have stopped
    std::unique_ptr<ThreadStateCopy> root_;  // the main searcher's state as the analysis started
    std::atomic<int> active_{1};             // threads of the current or last analysis
    NodeSlot slots_[MaxSearchThreads];       // slot i: thread i's nodes in the current analysis
};

Pool pool;

}  // namespace

int SetSearchThreads(int count) { return pool.Resize(count - 1) + 1; }

int SearchThreads() { return pool.Helpers() + 1; }

void StartHelpers(int side) { pool.Start(side); }

void StopHelpers() {
    if (threadIndex == 0) pool.Stop();
}

void SetAnalysisEndsBeforeHelpers(bool early) { pool.SetEarly(early); }

void WaitForHelpers() {
    if (threadIndex == 0) pool.Wait();
}

bool IsHelperThread() { return threadIndex != 0; }

int ActiveSearchThreads() { return pool.Active(); }

void PublishNodes(std::uint64_t nodes) { pool.Publish(nodes); }

std::uint64_t OtherThreadsNodes() { return pool.Others(); }

#else

int SetSearchThreads(int) { return 1; }
int SearchThreads() { return 1; }
void StartHelpers(int) {}
void StopHelpers() {}
void SetAnalysisEndsBeforeHelpers(bool) {}
void WaitForHelpers() {}
bool IsHelperThread() { return false; }
int ActiveSearchThreads() { return 1; }
void PublishNodes(std::uint64_t) {}
std::uint64_t OtherThreadsNodes() { return 0; }

#endif

}  // namespace zarn

// The page keeper: one thread that releases and faults in table pages in the order they were asked for.
#include "engine/threads/page_keeper.h"

#include "platform/platform.h"

#if ZARN_THREADED
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace zarn {

#if ZARN_THREADED

namespace {

// Pages are faulted in this much at a time, so that a newer request waits no longer than one piece.
constexpr std::size_t PopulatePiece = std::size_t{32} << 20;

struct PageRequest {
    void* block = nullptr;
    std::size_t bytes = 0;
    bool release = false;
};

class PageKeeper {
public:
    ~PageKeeper() {
        {
            std::lock_guard lock(mutex_);
            quitting_ = true;
            changed_.notify_all();
        }
        if (thread_.joinable()) thread_.join();
    }

    void Add(const PageRequest& request) {
        std::unique_lock lock(mutex_);
        if (!thread_.joinable() && !quitting_) {
            try {
                thread_ = std::thread(&PageKeeper::Run, this);
            } catch (const std::system_error&) {
            }
        }
        if (!thread_.joinable()) {
            // No thread to be had: a release happens now, faulting in is left to the search.
            lock.unlock();
            if (request.release) platform::FreeZeroedPages(request.block, request.bytes);
            return;
        }
        requests_.push_back(request);
        ++added_;
        changed_.notify_all();
    }

    bool Wait(int timeoutMs) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                 [&] { return done_ == added_; });
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return quitting_ || !requests_.empty(); });
            if (requests_.empty()) return;
            const PageRequest request = requests_.front();
            requests_.pop_front();
            lock.unlock();
            if (request.release) {
                platform::FreeZeroedPages(request.block, request.bytes);
            } else {
                auto* bytes = static_cast<unsigned char*>(request.block);
                for (std::size_t offset = 0; offset < request.bytes; offset += PopulatePiece) {
                    if (Superseded()) break;
                    const std::size_t piece = std::min(PopulatePiece, request.bytes - offset);
                    if (!platform::PopulatePages(bytes + offset, piece)) break;
                }
            }
            lock.lock();
            ++done_;
            changed_.notify_all();
        }
    }

    // A later request (the release of this block among them) makes faulting in pointless.
    bool Superseded() {
        std::lock_guard lock(mutex_);
        return !requests_.empty() || quitting_;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<PageRequest> requests_;
    std::thread thread_;
    bool quitting_ = false;
    std::uint64_t added_ = 0;
    std::uint64_t done_ = 0;
};

PageKeeper keeper;

}  // namespace

void ReleaseInBackground(void* block, std::size_t bytes) {
    if (block) keeper.Add({block, bytes, true});
}

void PopulateInBackground(void* block, std::size_t bytes) {
    if (block) keeper.Add({block, bytes, false});
}

bool WaitForBackgroundPages(int timeoutMs) { return keeper.Wait(timeoutMs); }

#else

void ReleaseInBackground(void* block, std::size_t bytes) { platform::FreeZeroedPages(block, bytes); }

void PopulateInBackground(void*, std::size_t) {}

bool WaitForBackgroundPages(int) { return true; }

#endif

}  // namespace zarn

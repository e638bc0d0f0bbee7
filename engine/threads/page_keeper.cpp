// The page keeper: a few threads that release blocks and fault in new ones in the order asked for.
#include "engine/threads/page_keeper.h"

#include "platform/platform.h"

#if ZARN_THREADED
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>
#endif

namespace zarn {

#if ZARN_THREADED

namespace {

// Pages are faulted in this much at a time by each thread, so that a newer request waits no longer
// than one piece.
constexpr std::size_t PopulatePiece = std::size_t{32} << 20;
// Faulting in is the system's work (zeroing and mapping pages): a thread per core, up to this many.
constexpr unsigned MaxKeepers = 8;

struct PageRequest {
    unsigned char* block = nullptr;
    std::size_t bytes = 0;
    bool release = false;
    std::size_t next = 0;  // faulting in: the offset of the first piece no thread has taken
};

// Requests are dealt with in order: a block is faulted in by every keeper thread, piece by piece,
// until it is done or a release is asked for (the tables were replaced again: faulting in the old
// ones is pointless); a release waits until no piece is being faulted in, so that no thread touches a
// block after its release.
class PageKeeper {
public:
    ~PageKeeper() {
        {
            std::lock_guard lock(mutex_);
            quitting_ = true;
            changed_.notify_all();
        }
        for (std::thread& thread : threads_) thread.join();
    }

    void Add(const PageRequest& request) {
        std::unique_lock lock(mutex_);
        if (threads_.empty() && !quitting_) {
            const unsigned keepers = std::clamp(std::thread::hardware_concurrency(), 1u, MaxKeepers);
            for (unsigned i = 0; i < keepers; ++i) {
                try {
                    threads_.emplace_back(&PageKeeper::Run, this, i + 1);
                } catch (const std::system_error&) {
                    break;
                }
            }
        }
        if (threads_.empty()) {
            // No thread to be had: a release happens now, faulting in is left to the search.
            lock.unlock();
            if (request.release) platform::FreeZeroedPages(request.block, request.bytes);
            return;
        }
        requests_.push_back(request);
        releases_ += request.release;
        ++added_;
        changed_.notify_all();
    }

    bool Wait(int timeoutMs) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                 [&] { return done_ == added_; });
    }

private:
    void Run(unsigned number) {
        platform::NameThisThread(("zarn-pages-" + std::to_string(number)).c_str());
        std::unique_lock lock(mutex_);
        for (;;) {
            if (requests_.empty()) {
                if (quitting_) return;
                changed_.wait(lock);
                continue;
            }
            PageRequest& front = requests_.front();
            const bool wanted = !front.release && releases_ == 0 && !quitting_;
            if (wanted && front.next < front.bytes) {
                unsigned char* piece = front.block + front.next;
                const std::size_t bytes = std::min(PopulatePiece, front.bytes - front.next);
                front.next += bytes;
                ++inFlight_;
                lock.unlock();
                const bool backed = platform::PopulatePages(piece, bytes);
                lock.lock();
                --inFlight_;
                // Without the memory for it, faulting in stops here; the search faults in the rest.
                if (!backed) requests_.front().next = requests_.front().bytes;
                changed_.notify_all();
                continue;
            }
            if (inFlight_ > 0) {
                changed_.wait(lock);
                continue;
            }
            const PageRequest request = front;
            requests_.pop_front();
            releases_ -= request.release;
            if (request.release) {
                lock.unlock();
                platform::FreeZeroedPages(request.block, request.bytes);
                lock.lock();
            }
            ++done_;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<PageRequest> requests_;
    std::vector<std::thread> threads_;
    int inFlight_ = 0;   // pieces being faulted in
    int releases_ = 0;   // release requests waiting
    bool quitting_ = false;
    std::uint64_t added_ = 0;
    std::uint64_t done_ = 0;
};

PageKeeper keeper;

}  // namespace

void ReleaseInBackground(void* block, std::size_t bytes) {
    if (block) keeper.Add({static_cast<unsigned char*>(block), bytes, true});
}

void PopulateInBackground(void* block, std::size_t bytes) {
    if (block) keeper.Add({static_cast<unsigned char*>(block), bytes, false});
}

bool WaitForBackgroundPages(int timeoutMs) { return keeper.Wait(timeoutMs); }

#else

void ReleaseInBackground(void* block, std::size_t bytes) { platform::FreeZeroedPages(block, bytes); }

void PopulateInBackground(void*, std::size_t) {}

bool WaitForBackgroundPages(int) { return true; }

#endif

}  // namespace zarn

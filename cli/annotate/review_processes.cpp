// Worker processes for game review, and their framing. Requests and replies are a header line of
// words followed by byte blocks of the lengths it gives:
//   to the worker:   "game CHART BYTES FINGERPRINT\n" and the game's text (CHART 1 when a chart is wanted,
//                    FINGERPRINT in hexadecimal)
//   from the worker: "position\n" after each position searched, then
//                    "review POSITIONS ENGINE ERROR PGN CHART\n" and the three blocks (ENGINE 1 when the
//                    engine could not start; the others are the blocks' lengths)
// Each game is reviewed by a process of its own, started for it; as many run at a time as there are
// worker threads, each of which writes its process's request and reads its replies, while the calling
// thread takes the reviews in order.
#include "cli/annotate/review_processes.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "cli/uci/engine.h"
#include "platform/platform.h"

namespace zarn::cli {
namespace {

// Longest header line, and largest block, either side accepts.
constexpr std::size_t MaxHeaderBytes = 200;
constexpr std::size_t MaxBlockBytes = std::size_t{1} << 30;
// Games handed out ahead of the oldest review not yet taken, per worker: bounds the reviews held.
constexpr std::size_t LookAheadPerWorker = 64;
// How long a worker whose input was closed may take to end before it is ended.
constexpr int EndingWaitMs = 10000;
constexpr auto ProgressInterval = std::chrono::milliseconds(200);

// Reads a header of numbers after a keyword, each at most its limit (base 16 for a limit of 0, any
// 64-bit number); false when the line is anything else.
bool ReadHeader(const std::string& line, std::string_view keyword, std::span<std::uint64_t> numbers,
                std::span<const std::uint64_t> limits) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word != keyword) return false;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const bool hex = limits[i] == 0;
        if (!(words >> word) || word.empty() || word.size() > 16 ||
            word.find_first_not_of(hex ? "0123456789abcdef" : "0123456789") != std::string::npos)
            return false;
        numbers[i] = std::strtoull(word.c_str(), nullptr, hex ? 16 : 10);
        if (!hex && numbers[i] > limits[i]) return false;
    }
    return !(words >> word);
}

// --- the worker's side -------------------------------------------------------------------------------

bool ReadLineFrom(std::FILE* in, std::string& line) {
    line.clear();
    for (int c; (c = std::fgetc(in)) != EOF;) {
        if (c == '\n') return true;
        if (line.size() >= MaxHeaderBytes) return false;
        line += static_cast<char>(c);
    }
    return false;
}

void WriteAll(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// --- the parent's side -------------------------------------------------------------------------------

// Buffered reading of one worker's replies.
class ReplyReader {
public:
    explicit ReplyReader(platform::ChildProcess& child) : child_(child) {}

    bool Line(std::string& line) {
        for (;;) {
            const std::size_t end = buffer_.find('\n', start_);
            if (end != std::string::npos) {
                line.assign(buffer_, start_, end - start_);
                start_ = end + 1;
                return true;
            }
            if (buffer_.size() - start_ > MaxHeaderBytes || !Fill()) return false;
        }
    }

    bool Block(std::size_t size, std::string& block) {
        while (buffer_.size() - start_ < size)
            if (!Fill()) return false;
        block.assign(buffer_, start_, size);
        start_ += size;
        return true;
    }

private:
    bool Fill() {
        buffer_.erase(0, start_);
        start_ = 0;
        char chunk[65536];
        const std::ptrdiff_t count = platform::ReadFromChild(child_, chunk, sizeof chunk);
        if (count <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(count));
        return true;
    }

    platform::ChildProcess& child_;
    std::string buffer_;
    std::size_t start_ = 0;
};

struct Worker {
    platform::ChildProcess child;
    std::mutex mutex;    // guards the child's process handle between EndChild and WaitForChild
    bool gone = true;    // no child, or WaitForChild has seen it end
    std::string ending;  // what ended it
    std::thread thread;
};

class WorkerPool {
public:
    WorkerPool(std::span<const ReviewJob> jobs, bool charts, std::size_t workers)
        : jobs_(jobs), charts_(charts), reviews_(jobs.size()), lookAhead_(LookAheadPerWorker * workers) {}

    bool Start(std::size_t count, const AnalysisLimit& limit, std::string& reason) {
        program_ = platform::ExecutablePath();
        if (program_.empty()) {
            reason = "the path of this program is unknown";
            return false;
        }
        platform::IgnoreBrokenPipes();
        arguments_ = ReviewWorkerArguments(limit);
        for (std::size_t i = 0; i < count; ++i) workers_.push_back(std::make_unique<Worker>());
        running_ = workers_.size();
        for (auto& worker : workers_) worker->thread = std::thread([this, &worker = *worker] { Serve(worker); });
        return true;
    }

    ReviewRun TakeInOrder(const std::function<bool(std::size_t, GameReview&)>& take,
                          const std::function<void(std::size_t)>& progress) {
        ReviewRun run;
        for (std::size_t job = 0; job < jobs_.size(); ++job) {
            std::optional<GameReview> review;
            for (;;) {
                {
                    std::unique_lock lock(mutex_);
                    changed_.wait_for(lock, ProgressInterval, [&] { return reviews_[job] || lost_ <= job || running_ == 0; });
                    if (reviews_[job]) {
                        review = std::move(reviews_[job]);
                        reviews_[job].reset();
                        taken_ = job + 1;
                    } else if (lost_ <= job) {
                        run.complete = false;
                        run.lostJob = lost_;
                        run.failure = failure_;
                    } else if (running_ == 0) {
                        run.complete = false;
                        run.lostJob = job;
                        run.failure = "no review process was left";
                    }
                }
                changed_.notify_all();
                progress(positions_.load(std::memory_order_relaxed));
                if (review || !run.complete) break;
            }
            if (!run.complete) break;
            if (!take(job, *review)) {
                run.complete = false;
                break;
            }
        }
        Finish(!run.complete);
        return run;
    }

    // Ends the run: workers still busy are ended at once when ending, else each ends at the end of its
    // input; waits for every worker thread.
    void Finish(bool ending) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        if (ending) {
            ending_.store(true, std::memory_order_relaxed);
            for (auto& worker : workers_) {
                std::lock_guard lock(worker->mutex);
                if (!worker->gone) platform::EndChild(worker->child);
            }
        }
        for (auto& worker : workers_)
            if (worker->thread.joinable()) worker->thread.join();
        workers_.clear();
    }

    ~WorkerPool() { Finish(true); }

private:
    // One worker's thread: starts a review process for the next game, hands it the game, reads its
    // review, and again. A process reviews one game only: a process of its own is all that makes a
    // game's review independent of the games before it.
    void Serve(Worker& worker) {
        for (;;) {
            std::size_t job = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || lost_ != ReviewRun::NoJob || next_ >= jobs_.size() || next_ < taken_ + lookAhead_; });
                if (stopping_ || lost_ != ReviewRun::NoJob || next_ >= jobs_.size()) break;
                job = next_++;
            }
            GameReview review;
            std::string failure;
            bool started = false;
            {
                std::lock_guard lock(worker.mutex);
                std::string reason;
                started = platform::StartChild(program_, arguments_, worker.child, reason);
                worker.gone = !started;
                worker.ending.clear();
                if (!started) failure = "cannot start a review process: " + reason;
                else if (ending_.load(std::memory_order_relaxed)) platform::EndChild(worker.child);
            }
            if (started) {
                ReplyReader reader(worker.child);
                failure = Exchange(worker, reader, job, review);
                platform::CloseChildInput(worker.child);
                AwaitEnd(worker, failure.empty() ? EndingWaitMs : 2000);
                std::lock_guard lock(worker.mutex);
                platform::CloseChild(worker.child);
            }
            if (failure.empty()) {
                {
                    std::lock_guard lock(mutex_);
                    reviews_[job] = std::move(review);
                }
                changed_.notify_all();
                continue;
            }
            {
                std::lock_guard lock(mutex_);
                if (!stopping_ && job < lost_) {
                    lost_ = job;
                    failure_ = failure + (worker.ending.empty() ? "" : " (" + worker.ending + ")");
                }
            }
            break;
        }
        {
            std::lock_guard lock(mutex_);
            --running_;
        }
        changed_.notify_all();
    }

    // Sends one game and reads its review; the reason when that fails.
    std::string Exchange(Worker& worker, ReplyReader& reader, std::size_t job, GameReview& review) {
        const std::string_view text = jobs_[job].text;
        char header[80];
        const int length = std::snprintf(header, sizeof header, "game %d %zu %016" PRIx64 "\n", charts_ ? 1 : 0, text.size(),
                                         jobs_[job].fingerprint);
        if (!platform::WriteToChild(worker.child, header, static_cast<std::size_t>(length)) ||
            !platform::WriteToChild(worker.child, text.data(), text.size()))
            return "its review process stopped reading";
        std::string line;
        for (;;) {
            if (!reader.Line(line)) return "its review process ended without the review";
            if (line != "position") break;
            positions_.fetch_add(1, std::memory_order_relaxed);
        }
        std::uint64_t numbers[5] = {};
        constexpr std::uint64_t limits[5] = {MaxBlockBytes, 1, MaxBlockBytes, MaxBlockBytes, MaxBlockBytes};
        std::string error;
        if (!ReadHeader(line, "review", numbers, limits)) return "its review process sent a malformed reply";
        if (!reader.Block(numbers[2], error) || !reader.Block(numbers[3], review.pgn) || !reader.Block(numbers[4], review.chart))
            return "its review process ended in the middle of the review";
        review.positions = static_cast<std::size_t>(numbers[0]);
        review.engineFailed = numbers[1] == 1;
        review.error = std::move(error);
        if (review.engineFailed) return review.error.empty() ? "the engine could not start" : review.error;
        return "";
    }

    // Waits for the worker to end, ending it after limitMs.
    static void AwaitEnd(Worker& worker, int limitMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        bool ended = false;
        for (;;) {
            {
                std::lock_guard lock(worker.mutex);
                if (worker.gone || platform::WaitForChild(worker.child, 0, worker.ending)) {
                    worker.gone = true;
                    return;
                }
                if (!ended && std::chrono::steady_clock::now() >= deadline) {
                    platform::EndChild(worker.child);
                    ended = true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::span<const ReviewJob> jobs_;
    bool charts_;
    std::string program_;
    std::vector<std::string> arguments_;
    std::vector<std::unique_ptr<Worker>> workers_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<GameReview>> reviews_;
    std::size_t lookAhead_;
    std::size_t next_ = 0;   // the next job to hand out
    std::size_t taken_ = 0;  // jobs taken so far
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::size_t lost_ = ReviewRun::NoJob;
    std::string failure_;
    std::atomic<std::size_t> positions_{0};
    std::atomic<bool> ending_{false};  // processes still running are to be ended
};

}  // namespace

std::vector<std::string> ReviewWorkerArguments(const AnalysisLimit& limit) {
    if (limit.depth > 0) return {"annotate", "--worker", "--depth", std::to_string(limit.depth)};
    return {"annotate", "--worker", "--movetime", std::to_string(limit.moveTimeMs)};
}

ReviewRun ReviewInOrder(std::span<const ReviewJob> jobs, int processes, const AnalysisLimit& limit, bool charts,
                        const std::function<bool(std::size_t job, GameReview& review)>& take,
                        const std::function<void(std::size_t positions)>& progress) {
    const std::size_t workers = std::min(jobs.size(), static_cast<std::size_t>(std::max(processes, 1)));
    if (workers == 0) return {};
    WorkerPool pool(jobs, charts, workers);
    std::string reason;
    if (!pool.Start(workers, limit, reason)) return {false, 0, "cannot start review processes: " + reason};
    return pool.TakeInOrder(take, progress);
}

int RunReviewWorker(const AnalysisLimit& limit) {
    platform::UseBinaryStandardStreams();
    std::string line;
    std::string text;
    int status = 0;
    for (;;) {
        if (!ReadLineFrom(stdin, line)) {
            if (!line.empty()) status = 2;
            break;
        }
        std::uint64_t numbers[3] = {};
        constexpr std::uint64_t limits[3] = {1, MaxBlockBytes, 0};
        if (!ReadHeader(line, "game", numbers, limits)) {
            std::fprintf(stderr, "zarn annotate --worker: malformed request\n");
            status = 2;
            break;
        }
        text.resize(static_cast<std::size_t>(numbers[1]));
        if (std::fread(text.data(), 1, text.size(), stdin) != text.size()) {
            std::fprintf(stderr, "zarn annotate --worker: the request ended early\n");
            status = 2;
            break;
        }
        const GameReview review = ReviewGame({text, numbers[2]}, limit, numbers[0] == 1, [] {
            WriteAll("position\n");
            std::fflush(stdout);
        });
        WriteAll("review " + std::to_string(review.positions) + " " + std::to_string(review.engineFailed ? 1 : 0) + " " +
                 std::to_string(review.error.size()) + " " + std::to_string(review.pgn.size()) + " " +
                 std::to_string(review.chart.size()) + "\n");
        WriteAll(review.error);
        WriteAll(review.pgn);
        WriteAll(review.chart);
        if (std::fflush(stdout) != 0 || review.engineFailed) {
            status = 2;
            break;
        }
    }
    StopEngine();
    return status;
}

}  // namespace zarn::cli

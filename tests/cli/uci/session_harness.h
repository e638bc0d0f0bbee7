// Drives a UciSession from a test: commands go in through HandleLine, answers are collected line by
// line from any thread and can be awaited. Timing claims are made on a clock the test controls.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "cli/uci/session.h"
#include "engine/search/timer.h"
#include "tests/wait_until.h"

namespace zarn::cli::testing {

// A stream buffer that splits what is written into lines and lets a reader wait for them.
class LineCollector final : public std::streambuf {
public:
    std::vector<std::string> Lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

    // Waits until a line from index `from` on satisfies the test; returns its index or -1 on timeout.
    int WaitFor(const std::function<bool(const std::string&)>& test, std::chrono::milliseconds timeout,
                std::size_t from = 0) {
        std::unique_lock lock(mutex_);
        int found = -1;
        added_.wait_for(lock, timeout, [&] {
            for (std::size_t i = from; i < lines_.size(); ++i)
                if (test(lines_[i])) {
                    found = static_cast<int>(i);
                    return true;
                }
            return false;
        });
        return found;
    }

    // Waits until count lines from index `from` on satisfy the test; false on timeout.
    bool WaitForCount(const std::function<bool(const std::string&)>& test, int count, std::chrono::milliseconds timeout,
                      std::size_t from = 0) {
        std::unique_lock lock(mutex_);
        return added_.wait_for(lock, timeout, [&] {
            int found = 0;
            for (std::size_t i = from; i < lines_.size(); ++i) found += test(lines_[i]) ? 1 : 0;
            return found >= count;
        });
    }

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) Add(static_cast<char>(c));
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        for (std::streamsize i = 0; i < count; ++i) Add(text[i]);
        return count;
    }

private:
    void Add(char c) {
        std::lock_guard lock(mutex_);
        if (c == '\n') {
            lines_.push_back(partial_);
            partial_.clear();
            added_.notify_all();
        } else {
            partial_ += c;
        }
    }

    std::mutex mutex_;
    std::condition_variable added_;
    std::vector<std::string> lines_;
    std::string partial_;
};

inline bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

using zarn::testing::WaitUntil;

// A clock that a busy machine cannot hurry: time passes only when the session reads it, by a fixed
// step a reading (none: only when the test moves it on), so a search gets as much of it as on an idle
// machine. While it lives, the engine's time management reads the same time, without moving it.
// PausesPass: time passes only while the session pauses to watch its search, each pause in full,
// and readings cost nothing; so what a move costs on this clock is what the session meant to spend,
// however many reports the search sent and however slowly the machine let it run.
class TestClock final : public UciClock {
public:
    enum Passing { ReadingsPass, PausesPass };
    explicit TestClock(std::int64_t stepMs, Passing passing = ReadingsPass)
        : step_(passing == ReadingsPass ? stepMs : 0), pausesPass_(passing == PausesPass) {
        active_ = this;
        SetClock(&EngineReading);
    }
    ~TestClock() override {
        SetClock(nullptr);
        active_ = nullptr;
    }
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    std::int64_t NowMs() override { return now_.fetch_add(step_) + step_; }
    void Pause(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, std::int64_t ms) override {
        if (pausesPass_) now_ += ms;
        UciClock::Pause(lock, wake, ms);
    }
    // The time now, without a step.
    std::int64_t Peek() const { return now_; }
    void Advance(std::int64_t ms) { now_ += ms; }
    // How often the engine has read the clock; its first reading starts its analysis.
    int EngineReadings() const { return engineReadings_; }

private:
    static std::int64_t EngineReading() {
        TestClock& clock = *active_.load();
        ++clock.engineReadings_;
        return clock.Peek();
    }

    static inline std::atomic<TestClock*> active_{nullptr};
    const std::int64_t step_;
    const bool pausesPass_;
    std::atomic<std::int64_t> now_{0};
    std::atomic<int> engineReadings_{0};
};

// A session with a small hash table whose output is collected.
class SessionHarness {
public:
    explicit SessionHarness(UciClock& clock = SystemClock())
        : out_(&collector_), session_(std::make_unique<UciSession>(out_, clock, 4)) {}

    UciSession& Session() { return *session_; }

    // Sends a command and remembers where its answers start.
    void Send(std::string_view line) {
        mark_ = collector_.Lines().size();
        session_->HandleLine(line);
    }

    // The first line since the last Send that starts with prefix; empty when none came in time.
    std::string Await(std::string_view prefix, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const int index = collector_.WaitFor([&](const std::string& line) { return StartsWith(line, prefix); },
                                             timeout, mark_);
        return index < 0 ? std::string() : collector_.Lines()[static_cast<std::size_t>(index)];
    }

    // Waits until count lines since the last Send contain text; false when they did not come in time.
    bool AwaitLinesWith(std::string_view text, int count, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        return collector_.WaitForCount([&](const std::string& line) { return line.find(text) != std::string::npos; },
                                       count, timeout, mark_);
    }

    // Lines since the last Send.
    std::vector<std::string> Recent() {
        std::vector<std::string> lines = collector_.Lines();
        return {lines.begin() + static_cast<std::ptrdiff_t>(std::min(mark_, lines.size())), lines.end()};
    }

    std::vector<std::string> All() { return collector_.Lines(); }

private:
    LineCollector collector_;
    std::ostream out_;
    std::unique_ptr<UciSession> session_;
    std::size_t mark_ = 0;
};

}  // namespace zarn::cli::testing

// Drives a UciSession from a test: commands go in through HandleLine, answers are collected line by
// line from any thread and can be awaited.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "cli/uci/session.h"

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

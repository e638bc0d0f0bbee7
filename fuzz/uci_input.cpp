// Command lines of any shape into the zarn program's UCI session. The session's clock and the
// engine's clock move only when read, so time limits expire after a few reads however the machine is
// loaded; a watchdog stops any search still running a short while after the last command, as an
// impatient interface would.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/uci/position.h"
#include "cli/uci/report.h"
#include "cli/uci/session.h"
#include "engine/board/board.h"
#include "engine/moves/buffer.h"
#include "engine/moves/moves.h"
#include "engine/search/stack.h"
#include "engine/interface/zarn.h"
#include "engine/search/timer.h"
#include "fuzz/check.h"
#include "fuzz/inputs.h"

namespace zarn::fuzz {
namespace {

constexpr std::size_t MaxLines = 64;
constexpr int WatchPeriodMs = 5;
constexpr int StopAfterPeriods = 4;  // about 20 ms after the last command

class FuzzClock final : public cli::UciClock {
public:
    std::int64_t NowMs() override { return now_.fetch_add(3, std::memory_order_relaxed); }

private:
    std::atomic<std::int64_t> now_{0};
};

std::int64_t FuzzEngineClock() {
    static std::atomic<std::int64_t> now{0};
    return now.fetch_add(25, std::memory_order_relaxed);
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The legal moves of the engine's current position in coordinate notation.
std::vector<std::string> LegalMoveTexts() {
    const int count = GenerateLegalMoves(SideToMove);
    std::vector<std::string> texts;
    for (int i = MoveStart(1); i < MoveStart(1) + count; ++i) texts.push_back(cli::CoordinateMove(MoveBuffer[i]));
    return texts;
}

// What the session writes, line by line: every line is one the protocol knows, and a best move is a
// legal move of the position searched (which the engine holds again when the search thread sends it)
// or the null move when there is none, with at most one move to ponder on.
void CheckOutputLine(std::string_view line) {
    ZARN_FUZZ_CHECK(StartsWith(line, "id ") || StartsWith(line, "option ") || line == "uciok" || line == "readyok" ||
                        StartsWith(line, "info ") || StartsWith(line, "bestmove "),
                    "unexpected output line '%.*s'", static_cast<int>(line.size()), line.data());
    if (!StartsWith(line, "bestmove ")) return;
    std::string_view rest = line.substr(9);
    const std::size_t blank = rest.find(' ');
    const std::string_view move = rest.substr(0, blank);
    const std::vector<std::string> legal = LegalMoveTexts();
    if (move == "0000")
        ZARN_FUZZ_CHECK(legal.empty(), "null move with %zu legal moves", legal.size());
    else
        ZARN_FUZZ_CHECK(std::find(legal.begin(), legal.end(), move) != legal.end(), "illegal best move '%.*s'",
                        static_cast<int>(move.size()), move.data());
    if (blank == std::string_view::npos) return;
    rest = rest.substr(blank + 1);
    ZARN_FUZZ_CHECK(StartsWith(rest, "ponder ") && cli::IsMoveText(rest.substr(7)), "ponder move in '%.*s'",
                    static_cast<int>(line.size()), line.data());
}

class CheckedOutput final : public std::streambuf {
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
        if (c != '\n') {
            line_ += c;
            return;
        }
        CheckOutputLine(line_);
        line_.clear();
    }
    std::string line_;
};

class Watchdog {
public:
    Watchdog() : thread_([this] { Watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    // Called before each command; a search still running some periods later is stopped, again and
    // again, until the next command.
    void CommandArrives() { periods_.store(0, std::memory_order_relaxed); }
    void SetActive(bool active) { active_.store(active, std::memory_order_relaxed); }

private:
    void Watch() {
        std::unique_lock lock(mutex_);
        while (!done_) {
            wake_.wait_for(lock, std::chrono::milliseconds(WatchPeriodMs));
            if (!active_.load(std::memory_order_relaxed)) continue;
            if (periods_.fetch_add(1, std::memory_order_relaxed) >= StopAfterPeriods) ZarnStopAnalyse();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::atomic<bool> active_{false};
    std::atomic<int> periods_{0};
    std::thread thread_;
};

}  // namespace

int RunUciInput(const std::uint8_t* data, std::size_t size) {
    static FuzzClock clock;
    static Watchdog watchdog;
    SetClock(FuzzEngineClock);

    CheckedOutput output;
    std::ostream out(&output);
    {
        cli::UciSession session(out, clock, 1);
        watchdog.SetActive(true);
        const std::string_view text(reinterpret_cast<const char*>(data), size);
        std::size_t lines = 0;
        for (std::size_t begin = 0; begin <= text.size() && lines < MaxLines; ++lines) {
            std::size_t end = text.find('\n', begin);
            if (end == std::string_view::npos) end = text.size();
            watchdog.CommandArrives();
            if (!session.HandleLine(text.substr(begin, end - begin))) break;
            begin = end + 1;
        }
        watchdog.CommandArrives();
    }
    watchdog.SetActive(false);
    SetClock(nullptr);
    return 0;
}

}  // namespace zarn::fuzz

// One UCI conversation: commands come in as lines, answers go out as lines. The search runs in a
// thread of its own, so that stop, ponderhit and isready are answered while it runs; a watch thread
// ends it when its time is up.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "cli/uci/engine.h"
#include "cli/uci/limits.h"
#include "cli/uci/position.h"
#include "cli/uci/report.h"
#include "engine/search/root_result.h"

namespace zarn::cli {

// Milliseconds from an arbitrary fixed point. A session reads it for its reports and deadlines, from
// its own thread and from the searching and watching threads.
class UciClock {
public:
    virtual ~UciClock() = default;
    virtual std::int64_t NowMs() = 0;
    // The session's pause of ms milliseconds while it watches a search (woken early by wake).
    virtual void Pause(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, std::int64_t ms) {
        wake.wait_for(lock, std::chrono::milliseconds(ms));
    }
};
// The wall clock.
UciClock& SystemClock();

inline constexpr int DefaultHashMb = 64;

class UciSession final : private ReportListener {
public:
    // Starts the engine with the given hash size; the session drives the one engine of the process,
    // so only one session may exist at a time.
    explicit UciSession(std::ostream& out, UciClock& clock = SystemClock(), int hashMb = DefaultHashMb);
    ~UciSession() override;
    UciSession(const UciSession&) = delete;
    UciSession& operator=(const UciSession&) = delete;

    // Handles lines until quit or the end of the input (which ends a running search too); returns 0.
    int Run(std::istream& in);
    // Handles one command line; false once the command was quit.
    bool HandleLine(std::string_view line);
    // Blocks until no search runs, that is until its bestmove has been sent.
    void WaitForSearchEnd();
    bool Searching();

private:
    using Words = std::vector<std::string_view>;

    void SendUciIdentity();
    void HandleSetOption(const Words& words);
    void HandlePosition(const Words& words);
    void HandleGo(const Words& words);
    void HandleStop();
    void HandlePonderHit();
    void ApplyHashSize(int hashMb);

    // Commands that change the engine wait for a search that ends by itself; while an infinite or
    // ponder search runs they are refused with a note (false).
    bool EngineIdleFor(std::string_view command);
    void JoinSearch();
    void RunSearch(bool ponder);
    void WatchSearch();
    std::string ChooseBestMove(int analyseResult);

    void Send(const std::string& line);
    void Note(const std::string& text);

    void OnDepth(int depth) override;
    void OnNodes(int nodes) override;
    void OnCurrentMove(const char* move, int index, int count) override;
    void OnResult(int kind, const RootLine& line) override;
    void OnLines(int depth, int count) override;
    std::string ProgressFields();
    std::string SelectiveDepthField(int depth);
    std::string HashFullField();
    // An info line of a root line; multiPv 0 leaves the multipv field out.
    void SendLine(int depth, int multiPv, const RootLine& line);
    // The best line as the search recorded it (line) and as shown, continued from the table.
    void ShowBestLine(int depth, int multiPv, const RootLine& line);

    std::ostream& out_;
    std::mutex outMutex_;
    UciClock& clock_;

    PositionRecord position_;
    int hashMb_ = DefaultHashMb;
    bool ponderOption_ = false;
    int multiPv_ = 1;

    // Search state, guarded by stateMutex_.
    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    std::thread searchThread_;
    std::thread watchThread_;
    bool searching_ = false;
    bool engineDone_ = false;
    bool released_ = false;       // stop or quit came
    bool stopRequested_ = false;  // the engine must be told to stop (again, until it has)
    bool waitsForStop_ = false;
    bool pondering_ = false;
    std::int64_t budgetMs_ = -1;
    std::int64_t deadlineMs_ = -1;

    // Report state, touched only by the searching thread while a search runs.
    std::int64_t startMs_ = 0;
    int depth_ = 0;
    NodeCounter nodes_;
    bool exactReported_ = false;  // an info line with an exact score went out
    RootLine bestReported_;       // the last best line shown, as the search recorded it
    RootLine bestShown_;          // and as shown, the source of bestmove and ponder
};

}  // namespace zarn::cli

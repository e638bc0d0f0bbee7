// The UCI command handler.
#include "cli/uci/session.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <istream>
#include <ostream>

#include "cli/text/number.h"
#include "cli/text/words.h"
#include "cli/uci/analysis_stop.h"
#include "cli/uci/echo.h"
#include "engine/interface/report.h"
#include "engine/interface/zarn.h"
#include "engine/search/extra_limits.h"
#include "engine/search/hash.h"
#include "engine/search/hash_fill.h"
#include "engine/search/root_result.h"
#include "engine/search/search.h"
#include "engine/threads/pool.h"
#include "platform/platform.h"

namespace zarn::cli {
namespace {

class WallClock final : public UciClock {
public:
    std::int64_t NowMs() override { return platform::ElapsedMilliseconds(); }
};

std::string JoinWords(const std::vector<std::string_view>& words, std::size_t begin, std::size_t end) {
    std::string text;
    for (std::size_t i = begin; i < end && i < words.size(); ++i) {
        if (!text.empty()) text += ' ';
        text += words[i];
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// An advertised engine option: "option name X type spin default D min A max B".
struct SpinOption {
    std::string name;
    std::int64_t min = 0;
    std::int64_t max = 0;
};

bool ReadSpinOption(std::string_view text, SpinOption& option) {
    const std::vector<std::string_view> words = SplitWords(text);
    std::size_t type = 0;
    while (type < words.size() && words[type] != "type") ++type;
    if (words.size() < 3 || words[0] != "option" || words[1] != "name" || type == words.size()) return false;
    option.name = JoinWords(words, 2, type);
    option.min = -2147483647;
    option.max = 2147483647;
    for (std::size_t i = type; i + 1 < words.size(); ++i) {
        if (words[i] == "min") ReadNumber(words[i + 1], option.min, PlusSign::Allowed);
        if (words[i] == "max") ReadNumber(words[i + 1], option.max, PlusSign::Allowed);
    }
    return !option.name.empty();
}

constexpr std::int64_t NoDeadline = -1;

}  // namespace

UciClock& SystemClock() {
    static WallClock clock;
    return clock;
}

UciSession::UciSession(std::ostream& out, UciClock& clock, int hashMb) : out_(out), clock_(clock) {
    SetReportListener(this);
    SetSearchThreads(1);
    // The move goes out as soon as the main search thread has it; the helpers stop meanwhile.
    SetAnalysisEndsBeforeHelpers(true);
    hashMb_ = std::clamp(hashMb, 1, MaxProgramHashMb);
    if (StartEngine(hashMb_) < 0) Note("the engine could not allocate its tables");
}

UciSession::~UciSession() {
    HandleStop();
    SetReportListener(nullptr);
    SetAnalysisEndsBeforeHelpers(false);
    SetSearchThreads(1);
    StopEngine();
}

int UciSession::Run(std::istream& in) {
    std::string line;
    while (std::getline(in, line))
        if (!HandleLine(line)) return 0;
    HandleStop();
    return 0;
}

bool UciSession::HandleLine(std::string_view line) {
    const Words words = SplitWords(line);
    if (words.empty()) return true;
    const std::string_view command = words[0];
    if (command == "uci") {
        SendUciIdentity();
    } else if (command == "isready") {
        Send("readyok");
    } else if (command == "setoption") {
        if (EngineIdleFor(command)) HandleSetOption(words);
    } else if (command == "ucinewgame") {
        if (EngineIdleFor(command)) ZarnClearHashtable();
    } else if (command == "position") {
        if (EngineIdleFor(command)) HandlePosition(words);
    } else if (command == "go") {
        if (EngineIdleFor(command)) HandleGo(words);
    } else if (command == "stop") {
        HandleStop();
    } else if (command == "ponderhit") {
        HandlePonderHit();
    } else if (command == "quit") {
        HandleStop();
        return false;
    } else if (command == "debug" || command == "register") {
        // Accepted; the program has no debug output and needs no registration.
    } else {
        Note("unknown command " + Quoted(command));
    }
    return true;
}

void UciSession::SendUciIdentity() {
    Send(std::string("id name ") + ZarnGetVersion());
    Send(std::string("id author ") + ZarnGetAuthor());
    for (const char* const* option = ZarnGetParamList(); option && *option; ++option) Send(*option);
    Send("option name Hash type spin default " + std::to_string(DefaultHashMb) + " min 1 max " +
         std::to_string(MaxProgramHashMb));
    Send("option name Clear Hash type button");
    Send("option name Ponder type check default false");
    Send("option name MultiPV type spin default 1 min 1 max " + std::to_string(MaxRootLines));
    Send("option name Threads type spin default 1 min 1 max " + std::to_string(MaxSearchThreads));
    Send("uciok");
}

void UciSession::HandleSetOption(const Words& words) {
    std::size_t valueAt = 2;
    while (valueAt < words.size() && words[valueAt] != "value") ++valueAt;
    if (words.size() < 3 || words[1] != "name" || valueAt == 2) {
        Note("setoption: expected setoption name <name> [value <value>]");
        return;
    }
    const std::string name = JoinWords(words, 2, valueAt);
    const std::string value = JoinWords(words, valueAt + 1, words.size());
    const bool hasValue = valueAt < words.size() && !value.empty();

    if (SameName(name, "Clear Hash")) {
        ZarnClearHashtable();
        return;
    }
    if (SameName(name, "Ponder")) {
        if (value == "true" || value == "false")
            ponderOption_ = value == "true";
        else
            Note("setoption: Ponder takes true or false");
        return;
    }
    std::int64_t number = 0;
    if (SameName(name, "MultiPV")) {
        if (!hasValue || !ReadNumber(value, number, PlusSign::Allowed)) {
            Note("setoption: MultiPV needs a whole number");
            return;
        }
        multiPv_ = static_cast<int>(std::clamp<std::int64_t>(number, 1, MaxRootLines));
        if (multiPv_ != number) Note("setoption: MultiPV set to " + std::to_string(multiPv_));
        return;
    }
    if (SameName(name, "Hash")) {
        if (!hasValue || !ReadNumber(value, number, PlusSign::Allowed)) {
            Note("setoption: Hash needs a number of megabytes");
            return;
        }
        const int clamped = static_cast<int>(std::clamp<std::int64_t>(number, 1, MaxProgramHashMb));
        if (clamped != number) Note("setoption: Hash set to " + std::to_string(clamped) + " MB");
        ApplyHashSize(clamped);
        return;
    }
    if (SameName(name, "Threads")) {
        if (!hasValue || !ReadNumber(value, number, PlusSign::Allowed)) {
            Note("setoption: Threads needs a whole number");
            return;
        }
        const int clamped = static_cast<int>(std::clamp<std::int64_t>(number, 1, MaxSearchThreads));
        const int threads = SetSearchThreads(clamped);
        if (threads != number) Note("setoption: Threads set to " + std::to_string(threads));
        return;
    }
    for (const char* const* text = ZarnGetParamList(); text && *text; ++text) {
        SpinOption option;
        if (!ReadSpinOption(*text, option) || !SameName(name, option.name)) continue;
        if (!hasValue || !ReadNumber(value, number, PlusSign::Allowed)) {
            Note("setoption: " + option.name + " needs a whole number");
            return;
        }
        const std::int64_t clamped = std::clamp(number, option.min, option.max);
        if (clamped != number) Note("setoption: " + option.name + " set to " + std::to_string(clamped));
        const std::string valueText = std::to_string(clamped);
        ZarnSetParam(option.name.c_str(), valueText.c_str());
        return;
    }
    Note("setoption: unknown option " + Quoted(name));
}

// New empty tables of the size, allocated before the present ones go; the present ones stay when the
// memory is not there.
void UciSession::ApplyHashSize(int hashMb) {
    if (!ResizeTables(hashMb)) {
        Note("setoption: no memory for a hash table of " + std::to_string(hashMb) + " MB; it stays at " +
             std::to_string(hashMb_) + " MB");
        return;
    }
    hashMb_ = hashMb;
}

void UciSession::HandlePosition(const Words& words) {
    PositionRecord record;
    std::size_t movesAt = 2;
    if (words.size() >= 2 && words[1] == "startpos") {
        record.startPosition = true;
    } else if (words.size() >= 2 && words[1] == "fen") {
        while (movesAt < words.size() && words[movesAt] != "moves") ++movesAt;
        const FenCheck check = CheckFen(JoinWords(words, 2, movesAt));
        if (!check.error.empty()) {
            Note("position: bad FEN: " + check.error + "; position unchanged");
            return;
        }
        for (const std::string& note : check.notes) Note("position: " + note);
        record.startPosition = false;
        record.fen = check.fen;
    } else {
        Note("position: expected position startpos|fen <fen> [moves <moves>]");
        return;
    }
    if (movesAt < words.size() && words[movesAt] != "moves") {
        Note("position: expected moves after startpos; position unchanged");
        return;
    }
    for (std::size_t i = movesAt + 1; i < words.size(); ++i) {
        std::string move(words[i]);
        if (move.size() == 5) move[4] = static_cast<char>(std::tolower(static_cast<unsigned char>(move[4])));
        if (!IsMoveText(move)) {
            Note("position: bad move text " + Quoted(words[i]) + "; position unchanged");
            return;
        }
        record.moves.push_back(std::move(move));
    }
    if (std::string error = ApplyPosition(record); !error.empty()) {
        Note("position: " + error + "; position unchanged");
        ApplyPosition(position_);
        return;
    }
    position_ = std::move(record);
}

void UciSession::HandleGo(const Words& words) {
    GoRequest request;
    ParseGo(std::span(words).subspan(1), request);
    for (const std::string& note : request.notes) Note(note);
    const SearchPlan plan = PlanSearch(request, EngineSideToMove());
    ApplyLimits(plan);
    SetRootLineCount(multiPv_);

    startMs_ = clock_.NowMs();
    depth_ = 0;
    nodes_.Reset();
    exactReported_ = false;
    bestShown_.Moves[0] = 0;
    {
        std::lock_guard lock(stateMutex_);
        searching_ = true;
        engineDone_ = false;
        released_ = false;
        stopRequested_ = false;
        waitsForStop_ = plan.waitsForStop;
        pondering_ = plan.ponder;
        budgetMs_ = plan.budgetMs;
        deadlineMs_ = (!plan.ponder && plan.budgetMs >= 0) ? startMs_ + plan.budgetMs : NoDeadline;
    }
    searchThread_ = std::thread(&UciSession::RunSearch, this, plan.ponder);
    watchThread_ = std::thread(&UciSession::WatchSearch, this);
}

void UciSession::HandleStop() {
    {
        std::lock_guard lock(stateMutex_);
        if (searching_) {
            released_ = true;
            stopRequested_ = true;
            if (!engineDone_) ZarnStopAnalyse();
            stateChanged_.notify_all();
        }
    }
    JoinSearch();
}

void UciSession::HandlePonderHit() {
    std::lock_guard lock(stateMutex_);
    if (!searching_ || !pondering_) {
        Note("ponderhit: no ponder search is running");
        return;
    }
    pondering_ = false;
    if (!engineDone_) ZarnPonderingOff();
    if (budgetMs_ >= 0) deadlineMs_ = clock_.NowMs() + budgetMs_;
    stateChanged_.notify_all();
}

bool UciSession::EngineIdleFor(std::string_view command) {
    {
        std::unique_lock lock(stateMutex_);
        if (searching_ && (waitsForStop_ || pondering_)) {
            Note(std::string(command) + ": refused while the search runs; send stop first");
            return false;
        }
    }
    JoinSearch();
    return true;
}

void UciSession::JoinSearch() {
    if (searchThread_.joinable()) searchThread_.join();
    if (watchThread_.joinable()) watchThread_.join();
}

void UciSession::WaitForSearchEnd() { JoinSearch(); }

bool UciSession::Searching() {
    std::lock_guard lock(stateMutex_);
    return searching_;
}

void UciSession::RunSearch(bool ponder) {
    const int result = ZarnAnalyse(ponder ? 1 : 0);
    // A result found after the last line shown (a multi-line search stopped within an iteration) is
    // shown before it is played.
    const RootLine& best = BestRootLine();
    if (result == 0 && best.Moves[0] != 0 && (!exactReported_ || !SameResult(best, bestReported_)))
        ShowBestLine(best.Depth, 0, best);
    {
        std::unique_lock lock(stateMutex_);
        engineDone_ = true;
        stateChanged_.notify_all();
        // Infinite and ponder searches give their move only when told to.
        stateChanged_.wait(lock, [this] { return released_ || (!waitsForStop_ && !pondering_); });
    }
    Send("bestmove " + ChooseBestMove(result));
    // Nothing that the helpers read changes before they have left their search.
    WaitForHelpers();
    std::lock_guard lock(stateMutex_);
    searching_ = false;
    stateChanged_.notify_all();
}

void UciSession::WatchSearch() {
    std::unique_lock lock(stateMutex_);
    while (!engineDone_ && !stopRequested_) {
        // The clock is read only while a deadline is pending.
        std::int64_t pause = 20;
        if (deadlineMs_ != NoDeadline) {
            const std::int64_t now = clock_.NowMs();
            if (now >= deadlineMs_) {
                stopRequested_ = true;
                break;
            }
            pause = std::clamp<std::int64_t>(deadlineMs_ - now, 1, 5);
        }
        clock_.Pause(lock, stateChanged_, pause);
    }
    StopAnalysisUntilEnded(lock, stateChanged_, [this] { return engineDone_; }, NoStopLimit);
}

std::string UciSession::ChooseBestMove(int analyseResult) {
    if (analyseResult == 1) return "0000";
    // The search's best line so far; without one (stopped during the first root move) a legal move.
    const std::vector<std::string> best = LineMoves(bestShown_);
    if (best.empty()) return FallbackMove();
    std::string text = best[0];
    if (best.size() > 1) text += " ponder " + best[1];
    return text;
}

void UciSession::Send(const std::string& line) {
    std::lock_guard lock(outMutex_);
    out_ << line << '\n' << std::flush;
}

void UciSession::Note(const std::string& text) { Send("info string " + text); }

std::string UciSession::ProgressFields() {
    const std::int64_t elapsed = std::max<std::int64_t>(0, clock_.NowMs() - startMs_);
    const std::uint64_t nodes = nodes_.Current();
    return " nodes " + std::to_string(nodes) + " nps " + std::to_string(NodesPerSecond(nodes, elapsed)) +
           " time " + std::to_string(elapsed);
}

// The plies beyond the root that the deepest node reached, never fewer than the iteration's.
std::string UciSession::SelectiveDepthField(int depth) {
    return " seldepth " + std::to_string(std::max(depth, SelDepth - 1));
}

std::string UciSession::HashFullField() { return " hashfull " + std::to_string(HashFullPermille()); }

void UciSession::SendLine(int depth, int multiPv, const RootLine& line) {
    nodes_.Extend(static_cast<int>(static_cast<std::uint32_t>(SearchedNodes())));
    std::string info = "info depth " + std::to_string(depth) + SelectiveDepthField(depth);
    if (multiPv > 0) info += " multipv " + std::to_string(multiPv);
    info += " score " + UciScoreText(ScoreFromEngine(line.Score)) + ProgressFields() + HashFullField() + " pv";
    for (const std::string& move : LineMoves(line)) info += ' ' + move;
    Send(info);
    exactReported_ = true;
}

void UciSession::ShowBestLine(int depth, int multiPv, const RootLine& line) {
    bestReported_ = line;
    bestShown_ = FullLine(line);
    SendLine(depth, multiPv, bestShown_);
}

void UciSession::OnLines(int depth, int count) {
    ShowBestLine(depth, 1, ReportedRootLine(0));
    for (int k = 1; k < count; ++k) SendLine(depth, k + 1, FullLine(ReportedRootLine(k)));
}

void UciSession::OnDepth(int depth) { depth_ = depth; }

void UciSession::OnNodes(int nodes) { nodes_.Extend(nodes); }

void UciSession::OnCurrentMove(const char* move, int index, int) {
    Send("info depth " + std::to_string(depth_) + " currmove " + LowerCaseMove(move) + " currmovenumber " +
         std::to_string(index) + ProgressFields());
}

void UciSession::OnResult(int kind, const RootLine& line) {
    if (kind == ReportExact) {
        ShowBestLine(line.Depth, 0, line);
        return;
    }
    nodes_.Extend(static_cast<int>(NodeCount));
    std::string info = "info depth " + std::to_string(line.Depth) + SelectiveDepthField(line.Depth) + " score " +
                       UciScoreText(ScoreFromEngine(line.Score)) +
                       (kind == ReportFailHigh ? " lowerbound" : " upperbound") + ProgressFields() + HashFullField() +
                       " pv";
    for (const std::string& move : LineMoves(line)) info += ' ' + move;
    Send(info);
}

}  // namespace zarn::cli

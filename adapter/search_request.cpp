// One search request from the host: position, game, limits and changed options go to the engine, then
// the engine searches in the host's thread until its limit or a stop ends it.
#include "adapter/binding.h"
#include "adapter/eng.h"
#include "adapter/host_api.h"
#include "adapter/option_bridge.h"
#include "adapter/request_text.h"
#include "adapter/state.h"
#include "platform/platform.h"

namespace zarn::adapter {
namespace {

constexpr int DefaultDepth = 5;
constexpr int MaxDepth = 20;

void SetPosition(SearchRequest& request) {
    if (request.StartPosition != 0) {
        Entry<EntrySetStartPosition>()();
        return;
    }
    char fen[FenTextSize];
    BuildFen(request, fen);
    Entry<EntrySetPosition>()(fen);
}

// Returns false when a game move cannot be converted; the request then fails.
bool SetGame(const SearchRequest& request) {
    const auto setGame = Entry<EntrySetGame>();
    if (request.GameMoveCount <= 0 || setGame == nullptr) return true;
    char text[GameTextSize];
    if (!BuildGameText(request, text)) return false;
    setGame(text);
    return true;
}

void SetUsedValues(const SearchRequest& request) {
    const auto setUsed = Entry<EntrySetUsed>();
    if ((request.UsedFirst != 0 || request.UsedSecond != 0) && setUsed != nullptr)
        setUsed(request.UsedFirst, request.UsedSecond);
}

void SetLimits(const SearchRequest& request) {
    switch (request.LimitMode) {
        case LimitDepth:
            Entry<EntrySetDepth>()(request.Depth >= 1 && request.Depth <= MaxDepth ? request.Depth : DefaultDepth);
            break;
        case LimitBlitz:
            SetUsedValues(request);
            Entry<EntrySetBlitz>()(request.Seconds, request.IncrementSeconds);
            break;
        case LimitTimeControl:
            // A time control of no moves would leave the engine nothing to divide its time by: one move.
            SetUsedValues(request);
            Entry<EntrySetTime>()(request.TimeControlMoves >= 1 ? request.TimeControlMoves : 1, request.Seconds);
            break;
        default:
            Entry<EntrySetInfinite>()();
            break;
    }
}

int Search(SearchRequest& request) {
    SetPosition(request);
    if (!SetGame(request)) return 0;
    SetLimits(request);
    PushChangedOptions();

    if (MainlineRecord* mainline = Records.Mainline)
        Func3(zarn::host::MessageSearchStarted, mainline->Head.HostWord16, mainline->Head.HostWord8, mainline);
    else
        Func3(zarn::host::MessageSearchStarted, 0, 0, nullptr);
    SearchStartTick = platform::TickCount();

    const auto analyse = Entry<EntryAnalyse>();
    if (analyse == nullptr || Load(StopRequested) != 0) return 0;
    return analyse(Load(PonderAllowed) != 0 ? request.Ponder : 0);
}

}  // namespace
}  // namespace zarn::adapter

using namespace zarn::adapter;

extern "C" {

// Without a started engine there is nothing to search: the request returns at once.
ENG_API int ENG_CALL Eng9(SearchRequest* request) {
    if (request == nullptr || !EngineBound()) return 0;
    Store(Searching, 1);
    Store(StopRequested, 0);
    const int result = Search(*request);
    Store(PonderAllowed, 1);
    Store(Searching, 0);
    return result;
}

ENG_API int ENG_CALL Eng3(void) {
    Store(StopRequested, 1);
    if (const auto stop = Entry<EntryStopAnalyse>()) stop();
    return 0;
}

ENG_API int ENG_CALL Eng4(void) { return Load(Searching); }

ENG_API int ENG_CALL Eng10(void) {
    if (Load(Searching) == 0) return 0;
    Store(PonderAllowed, 0);
    if (const auto ponderingOff = Entry<EntryPonderingOff>()) ponderingOff();
    return 0;
}

ENG_API int ENG_CALL Eng11(void) {
    if (Load(Searching) == 0) return 0;
    if (const auto nextBest = Entry<EntryNextBest>()) nextBest();
    return 0;
}

}  // extern "C"

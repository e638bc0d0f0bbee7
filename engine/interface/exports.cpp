// The eighteen functions the engine library exports; each delegates to the module that does the work.
#include <cstring>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/game.h"
#include "engine/board/tables.h"
#include "engine/eval/pawns.h"
#include "engine/interface/callbacks.h"
#include "engine/interface/engine_state.h"
#include "engine/interface/options.h"
#include "engine/interface/zarn.h"
#include "engine/search/hash.h"
#include "engine/search/root.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "engine/search/timer.h"
#include "engine/threads/thread_state.h"

namespace zarn {

int HashSizeMb = 0;

int HashSizeFromKilobytes(int hashKb) {
    const int megabytes = hashKb >> 10;
    if (megabytes < 1) return 1;
    if (megabytes > 1024) return 1024;
    return megabytes;
}

namespace {

constexpr const char* VersionText = "Zarn 504";
constexpr const char* AuthorText = "The Zarn developers";

// Both position calls end the same way: a fresh game from the fields, then a clean search stack.
void SetPositionFromText(char* text) {
    ClaimEngineState();
    static FieldBuffer fields;
    SplitFields(text, fields);
    SetupPosition(fields);
    ResetSearchStack();
    RebuildDerivedState();
}

}  // namespace
}  // namespace zarn

using namespace zarn;

extern "C" {

ZARN_API int ZARN_CALL ZarnInit(const ReportCallbacks* callbacks, const char* /*directory*/, int hashKb) {
    ClaimEngineState();
    CopyCallbacks(callbacks);
    InitialiseEngine();
    // Without its pawn hash table the engine cannot evaluate: report the failure to the caller.
    if (!AllocatePawnHash()) {
        ZarnQuit();  // tables of an earlier start-up, if any
        return -1;
    }
    HashSizeMb = HashSizeFromKilobytes(hashKb);
    if (!AllocateTables()) {
        // Release what was allocated and tell the caller that the engine cannot run.
        ZarnQuit();
        return -1;
    }
    return HashSizeMb * 1024;
}

ZARN_API void ZARN_CALL ZarnQuit(void) {
    ClaimEngineState();
    FreePawnHash();
    FreeTables();
}

ZARN_API void ZARN_CALL ZarnSetPosition(char* fen) { SetPositionFromText(fen); }

ZARN_API void ZARN_CALL ZarnSetStartPosition(void) {
    char text[sizeof(StartPositionText)];
    std::memcpy(text, StartPositionText, sizeof(StartPositionText));
    SetPositionFromText(text);
}

ZARN_API void ZARN_CALL ZarnSetGame(char* moves) {
    ClaimEngineState();
    SetGame(moves);
}

ZARN_API void ZARN_CALL ZarnSetTime(int moves, int seconds) { SetTimeControl(moves, seconds); }

ZARN_API void ZARN_CALL ZarnSetBlitz(int seconds, int incrementSeconds) { SetBlitz(seconds, incrementSeconds); }

ZARN_API void ZARN_CALL ZarnSetDepth(int depth) { SetFixedDepth(depth); }

ZARN_API void ZARN_CALL ZarnSetInfinite(void) { SetInfinite(); }

ZARN_API int ZARN_CALL ZarnAnalyse(int ponder) {
    // A threaded build may search on another thread than the one that set the position.
    const BorrowedEngineState borrowed;
    Pondering.store(ponder != 0 ? 1 : 0, std::memory_order_relaxed);
    ResetSearchStack();
    RebuildDerivedState();
    return RootSearch(SideToMove);
}

ZARN_API void ZARN_CALL ZarnStopAnalyse(void) { StopFlag.store(1, std::memory_order_relaxed); }

ZARN_API void ZARN_CALL ZarnPonderingOff(void) { PonderHit(); }

ZARN_API void ZARN_CALL ZarnClearHashtable(void) {
    ClaimEngineState();
    ClearTables();
    ResetSearchStack();
    RebuildDerivedState();
}

ZARN_API const char* ZARN_CALL ZarnGetVersion(void) { return VersionText; }

ZARN_API const char* ZARN_CALL ZarnGetAuthor(void) { return AuthorText; }

ZARN_API const char* const* ZARN_CALL ZarnGetParamList(void) { return AdvertisedOptions(); }

ZARN_API void ZARN_CALL ZarnSetParam(const char* name, const char* value) { SetOption(name, value); }

ZARN_API void ZARN_CALL ZarnNextBest(void) {}

}  // extern "C"

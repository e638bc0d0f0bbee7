// The engine library as the adapter sees it: twenty entry points bound by export name at run time.
#pragma once

#include <array>

#include "engine/interface/zarn.h"

namespace zarn::adapter {

enum EngineEntry {
    EntryInit,
    EntryQuit,
    EntryStopAnalyse,
    EntryAnalyse,
    EntryPonderingOff,
    EntryNextBest,
    EntryClearHashtable,
    EntrySetTime,
    EntrySetInfinite,
    EntrySetDepth,
    EntrySetBlitz,
    EntrySetUsed,
    EntrySetPosition,
    EntrySetStartPosition,
    EntrySetGame,
    EntryGetVersion,
    EntryGetAuthor,
    EntryGetElo,
    EntryGetParamList,
    EntrySetParam,
    EntryCount
};

struct EntryDescription {
    const char* ExportName;
    bool Required;
};

inline constexpr std::array<EntryDescription, EntryCount> EntryDescriptions = {{
    {"ZarnInit", true},
    {"ZarnQuit", true},
    {"ZarnStopAnalyse", true},
    {"ZarnAnalyse", true},
    {"ZarnPonderingOff", true},
    {"ZarnNextBest", false},
    {"ZarnClearHashtable", false},
    {"ZarnSetTime", true},
    {"ZarnSetInfinite", true},
    {"ZarnSetDepth", true},
    {"ZarnSetBlitz", true},
    {"ZarnSetUsed", false},
    {"ZarnSetPosition", true},
    {"ZarnSetStartPosition", true},
    {"ZarnSetGame", true},
    {"ZarnGetVersion", true},
    {"ZarnGetAuthor", true},
    {"ZarnGetElo", false},
    {"ZarnGetParamList", false},
    {"ZarnSetParam", false},
}};

// The function type behind each entry.
template <EngineEntry E> struct EntryType;
template <> struct EntryType<EntryInit> { using Type = int(ZARN_CALL*)(const ReportCallbacks*, const char*, int); };
template <> struct EntryType<EntryQuit> { using Type = void(ZARN_CALL*)(); };
template <> struct EntryType<EntryStopAnalyse> { using Type = void(ZARN_CALL*)(); };
template <> struct EntryType<EntryAnalyse> { using Type = int(ZARN_CALL*)(int); };
template <> struct EntryType<EntryPonderingOff> { using Type = void(ZARN_CALL*)(); };
template <> struct EntryType<EntryNextBest> { using Type = void(ZARN_CALL*)(); };
template <> struct EntryType<EntryClearHashtable> { using Type = void(ZARN_CALL*)(); };
template <> struct EntryType<EntrySetTime> { using Type = void(ZARN_CALL*)(int, int); };
template <> struct EntryType<EntrySetInfinite> { using Type = void(ZARN_CALL*)(); };
template <> struct EntryType<EntrySetDepth> { using Type = void(ZARN_CALL*)(int); };
template <> struct EntryType<EntrySetBlitz> { using Type = void(ZARN_CALL*)(int, int); };
template <> struct EntryType<EntrySetUsed> { using Type = void(ZARN_CALL*)(int, int); };
template <> struct EntryType<EntrySetPosition> { using Type = void(ZARN_CALL*)(char*); };
template <> struct EntryType<EntrySetStartPosition> { using Type = void(ZARN_CALL*)(); };
template <> struct EntryType<EntrySetGame> { using Type = void(ZARN_CALL*)(char*); };
template <> struct EntryType<EntryGetVersion> { using Type = const char*(ZARN_CALL*)(); };
template <> struct EntryType<EntryGetAuthor> { using Type = const char*(ZARN_CALL*)(); };
template <> struct EntryType<EntryGetElo> { using Type = int(ZARN_CALL*)(); };
template <> struct EntryType<EntryGetParamList> { using Type = const char* const*(ZARN_CALL*)(); };
template <> struct EntryType<EntrySetParam> { using Type = void(ZARN_CALL*)(const char*, const char*); };

// The bound address of an entry, or null when it is empty.
void* EntryAddress(EngineEntry entry);

// The entry as a callable pointer, or null when it is empty: every caller checks before calling.
template <EngineEntry E> typename EntryType<E>::Type Entry() {
    return reinterpret_cast<typename EntryType<E>::Type>(EntryAddress(E));
}

// Loads the library at path and binds all twenty entries. Fails, leaving nothing loaded or bound, when
// the library cannot be loaded or lacks a required entry.
bool BindEngine(const char* path);

// Unloads the engine library and empties the table.
void UnbindEngine();

// True while an engine library is bound.
bool EngineBound();

}  // namespace zarn::adapter

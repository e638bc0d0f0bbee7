// Starting and stopping the engine for the host, and the identity queries valid at any time.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "adapter/binding.h"
#include "adapter/eng.h"
#include "adapter/module_path.h"
#include "adapter/option_bridge.h"
#include "adapter/reports.h"
#include "adapter/state.h"
#include "platform/platform.h"

namespace zarn::adapter {
namespace {

constexpr int StartOk = 0;
constexpr int StartBusy = 1;
constexpr int StartRefused = 2;
constexpr int StartNoEngine = 9;
constexpr int MinimumHashKb = 1024;
constexpr int DefaultRating = 2500;
constexpr int InterfaceVersion = 67117072;
constexpr const char* FallbackVersion = "Zarn";
constexpr const char* FallbackAuthor = "the Zarn developers";

using TextCache = std::array<char, 128>;
TextCache authorCache{};
TextCache versionCache{};

std::array<char, MaxModulePath + 8> LibraryPath() {
    std::array<char, MaxModulePath + 8> path{};
    EngineLibraryPath(ModulePath(), path.data(), path.size());
    return path;
}

// The engine's author or version text: from the running engine, else read once from the engine
// library loaded for this query alone, else a fixed text.
template <EngineEntry E>
const char* IdentityText(TextCache& cache, const char* exportName, const char* fallback) {
    if (cache[0] != '\0') return cache.data();
    if (const auto bound = Entry<E>()) {
        const char* text = bound();
        return text != nullptr ? text : fallback;
    }
    if (void* module = platform::LoadLibrary(LibraryPath().data())) {
        if (const auto get = reinterpret_cast<typename EntryType<E>::Type>(platform::FindSymbol(module, exportName))) {
            if (const char* text = get()) {
                const std::size_t length = std::min(std::strlen(text), cache.size() - 1);
                std::memcpy(cache.data(), text, length);
                cache[length] = '\0';
            }
        }
        platform::FreeLibrary(module);
    }
    return cache[0] != '\0' ? cache.data() : fallback;
}

}  // namespace
}  // namespace zarn::adapter

using namespace zarn::adapter;

extern "C" {

ENG_API int ENG_CALL Eng1(MainlineRecord* mainline, CurrentMoveRecord* currentMove, DepthRecord* depth,
                          NodesRecord* nodes, SetupRecord* setup, int hashKb, int, int) {
    if (StartedFlagValue() != 0 || Load(Searching) != 0 || Records.Mainline != nullptr ||
        ExchangeStartedFlag(1) != 0)
        return StartBusy;

    if (!BindEngine(LibraryPath().data())) {
        ExchangeStartedFlag(0);
        return StartNoEngine;
    }
    const std::string_view directoryView = EngineDirectory(ModulePath());
    const std::string directory(directoryView);
    const ReportCallbacks callbacks = MakeReportCallbacks();
    AllocateTextRing();

    Records = HostRecords{mainline, currentMove, depth, nodes, setup};
    Store(Searching, 0);
    if (setup != nullptr) setup->HashKb = hashKb;

    const int granted = Entry<EntryInit>()(&callbacks, directory.c_str(), std::max(hashKb, MinimumHashKb));
    if (granted < 0) {
        Entry<EntryQuit>()();
        UnbindEngine();
        Eng2();
        return StartRefused;
    }
    if (setup != nullptr) setup->HashKb = granted;
    ImportEngineOptions(Entry<EntryGetParamList>() != nullptr ? Entry<EntryGetParamList>()() : nullptr);
    Store(PonderAllowed, 1);
    return StartOk;
}

ENG_API int ENG_CALL Eng2(void) {
    if (StartedFlagValue() == 0) return 0;
    if (const auto quit = Entry<EntryQuit>()) quit();
    UnbindEngine();
    Records = HostRecords{};
    FreeTextRing();
    FreeOptionTable();
    return ExchangeStartedFlag(0);
}

ENG_API int ENG_CALL Eng5(void) { return StartedFlagValue(); }

ENG_API const char* ENG_CALL Eng6(void) {
    return IdentityText<EntryGetAuthor>(authorCache, "ZarnGetAuthor", FallbackAuthor);
}

ENG_API const char* ENG_CALL Eng7(void) {
    return IdentityText<EntryGetVersion>(versionCache, "ZarnGetVersion", FallbackVersion);
}

ENG_API int ENG_CALL Eng8(void) {
    const auto getElo = Entry<EntryGetElo>();
    return getElo != nullptr ? getElo() : DefaultRating;
}

ENG_API int ENG_CALL Eng12(void) { return InterfaceVersion; }

ENG_API int ENG_CALL Eng15(void) {
    if (const auto clear = Entry<EntryClearHashtable>()) clear();
    return 0;
}

}  // extern "C"

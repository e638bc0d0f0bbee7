// Host records of any content into the plug-in, loaded from the engines directory with the real engine
// library beside it. Each input clears the engine's tables (Eng15), may hand over edited option records
// (Eng13, Eng14, followed by a restart: Eng2 now, Eng1 at the next input), and makes one search request
// (Eng9). Unless the input keeps its own limits the request searches one ply; a second thread plays the
// host's other thread, ending pondering (Eng10) and stopping a search that runs on (Eng3), as a host does.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "adapter/eng.h"
#include "adapter/records.h"
#include "fuzz/check.h"
#include "fuzz/inputs.h"
#include "host/chess32.h"
#include "platform/platform.h"

namespace zarn::fuzz {
namespace {

using namespace zarn::adapter;

// Bits of the input's first byte.
constexpr std::uint8_t KeepLimits = 1;      // search with the request's own limits, not one ply
constexpr std::uint8_t PonderHit = 2;       // the other thread ends pondering soon after the start
constexpr std::uint8_t EditOptions = 4;     // the bytes after the request edit the option records
constexpr std::uint8_t NoOptionRecord = 8;  // Eng14 without a record

constexpr std::size_t EditSize = 9;  // type selector, flags word, current value
constexpr int WatchPeriodMs = 5;
constexpr int StopAfterPeriods = 6;

struct Plugin {
    decltype(&Eng1) eng1 = nullptr;
    decltype(&Eng2) eng2 = nullptr;
    decltype(&Eng3) eng3 = nullptr;
    decltype(&Eng4) eng4 = nullptr;
    decltype(&Eng9) eng9 = nullptr;
    decltype(&Eng10) eng10 = nullptr;
    decltype(&Eng13) eng13 = nullptr;
    decltype(&Eng14) eng14 = nullptr;
    decltype(&Eng15) eng15 = nullptr;
};

template <typename Function> void Bind(void* module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(platform::FindSymbol(module, name));
    ZARN_FUZZ_CHECK(function != nullptr, "the plug-in lacks %s", name);
}

const Plugin& LoadedPlugin() {
    static const Plugin plugin = [] {
        // The host holds the engine library as well, so that Eng2 never unmaps it: the fuzzer keeps
        // the coverage counters of every module it has seen loaded.
        const std::string enginePath = std::string(ZARN_ENGINES_DIR) + "/Zarn.dll";
        ZARN_FUZZ_CHECK(platform::LoadLibrary(enginePath.c_str()) != nullptr, "cannot load %s", enginePath.c_str());
        const std::string path = std::string(ZARN_ENGINES_DIR) + "/Zarn.eng";
        void* module = platform::LoadLibrary(path.c_str());
        ZARN_FUZZ_CHECK(module != nullptr, "cannot load %s", path.c_str());
        Plugin p;
        Bind(module, "Eng1", p.eng1);
        Bind(module, "Eng2", p.eng2);
        Bind(module, "Eng3", p.eng3);
        Bind(module, "Eng4", p.eng4);
        Bind(module, "Eng9", p.eng9);
        Bind(module, "Eng10", p.eng10);
        Bind(module, "Eng13", p.eng13);
        Bind(module, "Eng14", p.eng14);
        Bind(module, "Eng15", p.eng15);
        return p;
    }();
    return plugin;
}

bool ValidHostMove(const HostMove& move) {
    return move.From < 64 && move.To < 64 && move.Zero == 0 &&
           (move.Promotion == 0 || (move.Promotion >= HostPromoteQueen && move.Promotion <= HostPromoteRook));
}

// What reaches the host: known codes, and records whose moves and counts are in range.
int CHESS32_CALL CheckMessage(int code, int, int, void* record) {
    switch (code) {
        case zarn::host::MessageSearchStarted:
        case zarn::host::MessageNodes:
        case zarn::host::MessageDepth:
            break;
        case zarn::host::MessageText:
            ZARN_FUZZ_CHECK(record != nullptr, "text message without text");
            break;
        case zarn::host::MessageMainline: {
            const auto* line = static_cast<const MainlineRecord*>(record);
            ZARN_FUZZ_CHECK(line->MoveCount >= 0 && line->MoveCount <= 31, "variation of %d moves", line->MoveCount);
            for (int i = 0; i < line->MoveCount; ++i)
                ZARN_FUZZ_CHECK(ValidHostMove(line->Moves[i]), "variation move %d", i);
            ZARN_FUZZ_CHECK(line->ScoreKind == ScoreInUnits || line->ScoreKind == ScoreMateInMoves, "score kind %d",
                            line->ScoreKind);
            break;
        }
        case zarn::host::MessageCurrentMove:
            ZARN_FUZZ_CHECK(ValidHostMove(static_cast<const CurrentMoveRecord*>(record)->Move), "current move");
            break;
        default:
            ZARN_FUZZ_CHECK(false, "unknown message %d", code);
    }
    return 0;
}

// The host's other thread. It acts only while a request runs, so it never calls in during Eng1 or Eng2.
class HostThread {
public:
    HostThread() : thread_([this] { Watch(); }) {}
    ~HostThread() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void RequestStarts(const Plugin* plugin, bool ponderHit) {
        std::lock_guard lock(mutex_);
        plugin_ = plugin;
        ponderHit_ = ponderHit;
        periods_ = 0;
    }
    void RequestEnded() {
        std::lock_guard lock(mutex_);
        plugin_ = nullptr;
    }

private:
    void Watch() {
        std::unique_lock lock(mutex_);
        while (!done_) {
            wake_.wait_for(lock, std::chrono::milliseconds(WatchPeriodMs));
            if (plugin_ == nullptr) continue;
            ++periods_;
            if (ponderHit_ && periods_ == 1) plugin_->eng10();
            if (periods_ >= StopAfterPeriods) plugin_->eng3();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    const Plugin* plugin_ = nullptr;
    bool ponderHit_ = false;
    int periods_ = 0;
    std::thread thread_;
};

struct HostRecords {
    MainlineRecord mainline{};
    CurrentMoveRecord currentMove{};
    DepthRecord depth{};
    NodesRecord nodes{};
    SetupRecord setup{};
};

std::int32_t ReadWord(const std::uint8_t* bytes) {
    std::int32_t word;
    std::memcpy(&word, bytes, sizeof(word));
    return word;
}

// The host's copy of the option records, edited from the input: the selector keeps the type below
// 200 and replaces it otherwise; combo and string values point to a block the host owns.
int EditAndHandBack(const Plugin& plugin, const std::uint8_t* edits, std::size_t size, bool noRecord) {
    OptionDescriptor* descriptor = plugin.eng13();
    ZARN_FUZZ_CHECK(descriptor != nullptr, "no option descriptor");
    if (noRecord) return plugin.eng14(nullptr);
    static std::uint8_t hostBlock[256];
    std::vector<OptionRecord> options(descriptor->Options, descriptor->Options + descriptor->OptionCount);
    for (std::size_t i = 0; i < options.size() && (i + 1) * EditSize <= size; ++i) {
        const std::uint8_t* edit = edits + i * EditSize;
        if (edit[0] >= 200) options[i].Type = edit[0] - 200;
        options[i].Flags = ReadWord(edit + 1);
        if (options[i].Type == OptionCombo || options[i].Type == OptionString) {
            std::memcpy(hostBlock, edit + 5, 4);
            options[i].Values[CurrentValue] = reinterpret_cast<std::intptr_t>(hostBlock);
        } else {
            options[i].Values[CurrentValue] = ReadWord(edit + 5);
        }
    }
    OptionDescriptor edited = *descriptor;
    edited.Options = options.data();
    return plugin.eng14(&edited);
}

// The engine stays started from one input to the next while its options keep their defaults.
bool engineStarted = false;
HostRecords records;

}  // namespace

void StopAdapterEngine() {
    if (!engineStarted) return;
    LoadedPlugin().eng2();
    engineStarted = false;
}

int RunAdapterInput(const std::uint8_t* data, std::size_t size) {
    const Plugin& plugin = LoadedPlugin();
    static HostThread hostThread;
    static const bool handlerSet = [] {
        Chess32SetHandler(CheckMessage);
        return true;
    }();
    (void)handlerSet;
    if (size == 0) return 0;

    const std::uint8_t control = data[0];
    SearchRequest request{};
    const std::size_t requestBytes = std::min(size - 1, sizeof(SearchRequest));
    std::memcpy(&request, data + 1, requestBytes);
    if (!(control & KeepLimits)) {
        request.LimitMode = LimitDepth;
        request.Depth = 1;
    }
    const SearchRequest given = request;

    if (!engineStarted) {
        const int result = plugin.eng1(&records.mainline, &records.currentMove, &records.depth, &records.nodes,
                                       &records.setup, 1024, 0, 0);
        ZARN_FUZZ_CHECK(result == 0, "Eng1 returned %d", result);
        engineStarted = true;
    }
    plugin.eng15();

    if (control & (EditOptions | NoOptionRecord)) {
        const std::size_t rest = size - 1 - requestBytes;
        const int count = EditAndHandBack(plugin, data + 1 + requestBytes, rest, (control & NoOptionRecord) != 0);
        ZARN_FUZZ_CHECK(count >= 0 && count <= MaxOptions, "Eng14 returned %d", count);
    }

    hostThread.RequestStarts(&plugin, (control & PonderHit) != 0);
    plugin.eng9(&request);
    hostThread.RequestEnded();
    ZARN_FUZZ_CHECK(plugin.eng4() == 0, "still searching after Eng9");

    // The request's castling rights and en-passant square may only have been corrected to fewer.
    ZARN_FUZZ_CHECK((request.Castling & ~given.Castling) == 0, "castling %d from %d", request.Castling, given.Castling);
    ZARN_FUZZ_CHECK(request.EnPassant == 0 || request.EnPassant == given.EnPassant, "en passant %d from %d",
                    request.EnPassant, given.EnPassant);

    // Edited options stay with the engine: stop it, so that the next input starts from the defaults.
    if (control & (EditOptions | NoOptionRecord)) {
        const int stopped = plugin.eng2();
        ZARN_FUZZ_CHECK(stopped == 1, "Eng2 returned %d", stopped);
        engineStarted = false;
    }
    return 0;
}

}  // namespace zarn::fuzz

// The plug-in from the build's engines directory, with the real engine library beside it, driven as
// the chess host drives it; and the messages it posts, checked as they arrive.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "adapter/eng.h"
#include "adapter/records.h"
#include "host/chess32.h"
#include "platform/platform.h"

namespace zarn::regression {

using namespace zarn::adapter;

struct PluginHost {
    decltype(&Eng1) eng1 = nullptr;
    decltype(&Eng2) eng2 = nullptr;
    decltype(&Eng3) eng3 = nullptr;
    decltype(&Eng4) eng4 = nullptr;
    decltype(&Eng9) eng9 = nullptr;
    decltype(&Eng10) eng10 = nullptr;
    decltype(&Eng11) eng11 = nullptr;

    std::unique_ptr<MainlineRecord> mainline = std::make_unique<MainlineRecord>();
    std::unique_ptr<CurrentMoveRecord> currentMove = std::make_unique<CurrentMoveRecord>();
    std::unique_ptr<DepthRecord> depth = std::make_unique<DepthRecord>();
    std::unique_ptr<NodesRecord> nodes = std::make_unique<NodesRecord>();
    std::unique_ptr<SetupRecord> setup = std::make_unique<SetupRecord>();

    // Loads the plug-in (it stays loaded for the life of the process) and binds its exports; false
    // when it cannot be loaded.
    bool Load() {
        const std::string path = std::string(ZARN_ENGINES_DIR) + "/Zarn.eng";
        void* module = platform::LoadLibrary(path.c_str());
        if (module == nullptr) return false;
        eng1 = reinterpret_cast<decltype(eng1)>(platform::FindSymbol(module, "Eng1"));
        eng2 = reinterpret_cast<decltype(eng2)>(platform::FindSymbol(module, "Eng2"));
        eng3 = reinterpret_cast<decltype(eng3)>(platform::FindSymbol(module, "Eng3"));
        eng4 = reinterpret_cast<decltype(eng4)>(platform::FindSymbol(module, "Eng4"));
        eng9 = reinterpret_cast<decltype(eng9)>(platform::FindSymbol(module, "Eng9"));
        eng10 = reinterpret_cast<decltype(eng10)>(platform::FindSymbol(module, "Eng10"));
        eng11 = reinterpret_cast<decltype(eng11)>(platform::FindSymbol(module, "Eng11"));
        return eng1 && eng2 && eng3 && eng4 && eng9 && eng10 && eng11;
    }

    int Start(int hashKb) {
        return eng1(mainline.get(), currentMove.get(), depth.get(), nodes.get(), setup.get(), hashKb, 0, 0);
    }
};

// Counts the messages of each kind and the malformed ones (moves off the board, counts out of range).
struct MessageCounts {
    std::atomic<int> searchStarted{0};
    std::atomic<int> mainlines{0};
    std::atomic<int> malformed{0};
};

inline MessageCounts* countedMessages = nullptr;

inline bool OnBoard(const HostMove& move) { return move.From < 64 && move.To < 64; }

inline int CHESS32_CALL CountMessage(int code, int, int, void* record) {
    MessageCounts* counts = countedMessages;
    if (counts == nullptr) return 0;
    if (code == zarn::host::MessageSearchStarted) ++counts->searchStarted;
    if (code == zarn::host::MessageMainline) {
        ++counts->mainlines;
        const auto* line = static_cast<const MainlineRecord*>(record);
        bool wellFormed = line->MoveCount >= 0 && line->MoveCount <= 31;
        for (int i = 0; wellFormed && i < line->MoveCount; ++i) wellFormed = OnBoard(line->Moves[i]);
        if (!wellFormed) ++counts->malformed;
    }
    if (code == zarn::host::MessageCurrentMove && !OnBoard(static_cast<const CurrentMoveRecord*>(record)->Move))
        ++counts->malformed;
    return 0;
}

// Installs the counting handler while it lives.
class CountingHost {
public:
    CountingHost() {
        countedMessages = &counts;
        Chess32SetHandler(CountMessage);
    }
    ~CountingHost() {
        Chess32SetHandler(nullptr);
        countedMessages = nullptr;
    }
    MessageCounts counts;
};

}  // namespace zarn::regression

// zarn-host: a small stand-in for the chess host. It loads a plug-in from an engines directory, starts
// it, runs one search request and prints every message the plug-in posts.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "adapter/eng.h"
#include "adapter/records.h"
#include "cli/text/number.h"
#include "cli/text/words.h"
#include "cli/uci/position.h"
#include "engine/board/tables.h"
#include "host/chess32.h"
#include "host/host_position.h"
#include "platform/platform.h"

namespace {

using namespace zarn::adapter;
using zarn::cli::ReadNumber;
using zarn::host::HostMoveText;

// The plug-in searches 1 to 20 plies; the other limits keep to sensible clocks.
constexpr std::int64_t MaxDepth = 20;
constexpr std::int64_t MaxSeconds = 24 * 3600;
constexpr std::int64_t MaxIncrement = 3600;
constexpr std::int64_t MaxTimeControlMoves = 200;
constexpr std::int64_t MaxStopAfterMs = 3600 * 1000;
constexpr std::int64_t MaxHashKb = 1024 * 1024;

constexpr const char* Usage =
    "usage: zarn-host [options]\n"
    "  --engines DIR            engines directory (default: engines beside this program)\n"
    "  --plugin NAME            plug-in file in that directory (default: Zarn.eng)\n"
    "  --fen TEXT               position to search (default: the start position)\n"
    "  --moves TEXT             game moves from that position, \"e2e4 e7e5\"\n"
    "  --depth N                search N plies, 1 to 20 (the default, with 6)\n"
    "  --blitz SECONDS INC      blitz clock: base time and increment in seconds\n"
    "  --time MOVES SECONDS     time control: moves in the given time\n"
    "  --infinite               search until stopped\n"
    "  --stop-after MS          stop the search with Eng3 from another thread after MS milliseconds\n"
    "  --set NAME=VALUE         change an option through Eng13 and Eng14 before the search\n"
    "  --hash KB                hash size in kilobytes (default 16384)\n"
    "  --ponder                 ask for a ponder search\n";

struct Settings {
    std::string enginesDirectory;
    std::string plugin = "Zarn.eng";
    std::string fen;
    std::string moves;
    std::int16_t mode = LimitDepth;
    std::int16_t depth = 6;
    int seconds = 0;
    int increment = 0;
    std::int16_t timeMoves = 0;
    int stopAfterMs = -1;
    std::vector<std::string> optionChanges;
    int hashKb = 16384;
    bool ponder = false;
};

// The plug-in's exports, bound by name.
struct Plugin {
    decltype(&Eng1) eng1 = nullptr;
    decltype(&Eng2) eng2 = nullptr;
    decltype(&Eng3) eng3 = nullptr;
    decltype(&Eng6) eng6 = nullptr;
    decltype(&Eng7) eng7 = nullptr;
    decltype(&Eng8) eng8 = nullptr;
    decltype(&Eng9) eng9 = nullptr;
    decltype(&Eng12) eng12 = nullptr;
    decltype(&Eng13) eng13 = nullptr;
    decltype(&Eng14) eng14 = nullptr;
};

template <typename Function> bool Bind(void* module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(zarn::platform::FindSymbol(module, name));
    if (function == nullptr) std::fprintf(stderr, "zarn-host: the plug-in lacks %s\n", name);
    return function != nullptr;
}

// Every function is looked up, so that all the missing ones are reported.
bool BindPlugin(void* module, Plugin& p) {
    const bool bound[] = {Bind(module, "Eng1", p.eng1),   Bind(module, "Eng2", p.eng2),   Bind(module, "Eng3", p.eng3),
                          Bind(module, "Eng6", p.eng6),   Bind(module, "Eng7", p.eng7),   Bind(module, "Eng8", p.eng8),
                          Bind(module, "Eng9", p.eng9),   Bind(module, "Eng12", p.eng12), Bind(module, "Eng13", p.eng13),
                          Bind(module, "Eng14", p.eng14)};
    return std::all_of(std::begin(bound), std::end(bound), [](bool b) { return b; });
}

// The first move of the last principal variation is the engine's choice.
std::mutex bestMoveLock;
std::string bestMove;
std::atomic<bool> searchDone{false};

int CHESS32_CALL PrintMessage(int code, int word1, int word2, void* record) {
    switch (code) {
        case zarn::host::MessageSearchStarted:
            std::printf("[330] search started (host words %d, %d)\n", word1, word2);
            break;
        case zarn::host::MessageText:
            std::printf("[336] text: %s\n", static_cast<const char*>(record));
            break;
        case zarn::host::MessageMainline: {
            const auto* m = static_cast<const MainlineRecord*>(record);
            std::string line;
            for (int i = 0; i < m->MoveCount && i < 31; ++i) {
                if (i > 0) line += ' ';
                line += HostMoveText(m->Moves[i]);
            }
            const char* bound = m->Flags & MainlineFailHigh ? " (fail high)" : m->Flags & MainlineFailLow ? " (fail low)" : "";
            if (m->ScoreKind == ScoreMateInMoves)
                std::printf("[340] pv score mate %d%s, %u s: %s\n", m->ScoreValue, bound, m->ElapsedSeconds, line.c_str());
            else
                std::printf("[340] pv score cp %d%s, %u s: %s\n", m->ScoreValue, bound, m->ElapsedSeconds, line.c_str());
            if (m->MoveCount > 0) {
                std::lock_guard<std::mutex> hold(bestMoveLock);
                bestMove = HostMoveText(m->Moves[0]);
            }
            break;
        }
        case zarn::host::MessageCurrentMove: {
            const auto* c = static_cast<const CurrentMoveRecord*>(record);
            std::printf("[342] current move %s (%d of %d)\n", HostMoveText(c->Move).c_str(), c->Index, c->Count);
            break;
        }
        case zarn::host::MessageNodes: {
            const auto* n = static_cast<const NodesRecord*>(record);
            std::printf("[343] nodes %d\n", n->Values[0]);
            break;
        }
        case zarn::host::MessageDepth:
            std::printf("[344] depth %d\n", static_cast<const DepthRecord*>(record)->Depth);
            break;
        default:
            std::printf("[%d] unknown message (host words %d, %d)\n", code, word1, word2);
            break;
    }
    std::fflush(stdout);
    return 0;
}

// Reads the arguments; returns -1 when they are usable, else the exit code (0 after --help).
int ParseArguments(int argc, char** argv, Settings& s) {
    bool usable = true;
    auto needs = [&](int i, int count) {
        if (i + count < argc) return true;
        std::fprintf(stderr, "zarn-host: %s needs %d value(s)\n", argv[i], count);
        usable = false;
        return false;
    };
    // The next argument as a number in range; a wrong one is reported and spoils the arguments.
    auto number = [&](int& i, const char* option, std::int64_t minimum, std::int64_t maximum) {
        std::int64_t value = minimum;
        const char* text = argv[++i];
        if (!ReadNumber(text, minimum, maximum, value)) {
            std::fprintf(stderr, "zarn-host: %s takes a whole number from %lld to %lld, not '%.40s'\n", option,
                         static_cast<long long>(minimum), static_cast<long long>(maximum), text);
            usable = false;
        }
        return value;
    };
    for (int i = 1; i < argc && usable; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (arg == "--engines" && needs(i, 1)) s.enginesDirectory = argv[++i];
        else if (arg == "--plugin" && needs(i, 1)) s.plugin = argv[++i];
        else if (arg == "--fen" && needs(i, 1)) s.fen = argv[++i];
        else if (arg == "--moves" && needs(i, 1)) s.moves = argv[++i];
        else if (arg == "--depth" && needs(i, 1)) {
            s.mode = LimitDepth;
            s.depth = static_cast<std::int16_t>(number(i, "--depth", 1, MaxDepth));
        } else if (arg == "--blitz" && needs(i, 2)) {
            s.mode = LimitBlitz;
            s.seconds = static_cast<int>(number(i, "--blitz SECONDS", 1, MaxSeconds));
            if (usable) s.increment = static_cast<int>(number(i, "--blitz INC", 0, MaxIncrement));
        } else if (arg == "--time" && needs(i, 2)) {
            s.mode = LimitTimeControl;
            s.timeMoves = static_cast<std::int16_t>(number(i, "--time MOVES", 1, MaxTimeControlMoves));
            if (usable) s.seconds = static_cast<int>(number(i, "--time SECONDS", 1, MaxSeconds));
        } else if (arg == "--infinite") s.mode = 0;
        else if (arg == "--stop-after" && needs(i, 1)) s.stopAfterMs = static_cast<int>(number(i, "--stop-after", 0, MaxStopAfterMs));
        else if (arg == "--set" && needs(i, 1)) {
            const std::string change = argv[++i];
            const std::size_t equals = change.find('=');
            if (equals == std::string::npos || equals == 0) {
                std::fprintf(stderr, "zarn-host: --set takes NAME=VALUE, not '%.40s'\n", change.c_str());
                usable = false;
            }
            s.optionChanges.push_back(change);
        } else if (arg == "--hash" && needs(i, 1)) s.hashKb = static_cast<int>(number(i, "--hash", 1, MaxHashKb));
        else if (arg == "--ponder") s.ponder = true;
        else if (usable) {
            std::fprintf(stderr, "zarn-host: unknown argument '%.40s'\n%s", arg.c_str(), Usage);
            usable = false;
        }
    }
    if (!usable) return 2;
    if (s.enginesDirectory.empty()) {
        std::string self = zarn::platform::ModulePathOf(reinterpret_cast<const void*>(&ParseArguments));
        const std::size_t slash = self.find_last_of("/\\");
        s.enginesDirectory = (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/engines";
    }
    if (s.mode == 0 && s.stopAfterMs < 0) s.stopAfterMs = 5000;
    return -1;
}

// Checks the position and its game with the program's own rules, so that an impossible position or
// an illegal move is refused before the plug-in searches something else. Returns an error text or "".
std::string CheckPosition(Settings& s) {
    zarn::cli::PositionRecord record;
    if (!s.fen.empty()) {
        const zarn::cli::FenCheck check = zarn::cli::CheckFen(s.fen);
        if (!check.error.empty()) return "bad FEN: " + check.error;
        for (const std::string& note : check.notes) std::fprintf(stderr, "zarn-host: %s\n", note.c_str());
        record.startPosition = false;
        record.fen = s.fen = check.fen;
    }
    for (const std::string_view move : zarn::cli::SplitWords(s.moves)) record.moves.emplace_back(move);
    zarn::InitialiseEngine();
    const std::string error = zarn::cli::ApplyPosition(record);
    return error.empty() ? "" : "bad --moves: " + error;
}

// Finds an option's record by name and checks a value for it; returns an error text or "".
std::string CheckOptionChange(const OptionDescriptor* descriptor, const std::string& change) {
    const std::size_t equals = change.find('=');
    const std::string name = change.substr(0, equals);
    const std::string value = change.substr(equals + 1);
    for (int i = 0; descriptor != nullptr && descriptor->Options != nullptr && i < descriptor->OptionCount; ++i) {
        const OptionRecord& record = descriptor->Options[i];
        if (record.Name == nullptr || name != record.Name) continue;
        if (record.Type == OptionSpin) {
            std::int64_t number = 0;
            const std::int64_t minimum = record.Values[MinimumValue], maximum = record.Values[MaximumValue];
            if (!ReadNumber(value, minimum, maximum, number))
                return "--set " + name + " takes a whole number from " + std::to_string(minimum) + " to " +
                       std::to_string(maximum) + ", not '" + value.substr(0, 40) + "'";
        } else if (record.Type == OptionCheck) {
            if (value != "true" && value != "false" && value != "1" && value != "0")
                return "--set " + name + " takes true, false, 1 or 0, not '" + value.substr(0, 40) + "'";
        } else if (record.Type == OptionCombo && record.DataSize > 2) {
            const auto* block = reinterpret_cast<const std::uint8_t*>(record.Values[CurrentValue]);
            std::string entries;
            std::size_t at = 2;
            for (int entry = 0; entry < block[0]; ++entry) {
                const std::string text(reinterpret_cast<const char*>(block) + at + 1, block[at]);
                if (text == value) return "";
                entries += (entries.empty() ? "" : ", ") + text;
                at += 1u + block[at];
            }
            return "--set " + name + " takes one of " + entries + ", not '" + value.substr(0, 40) + "'";
        }
        return "";
    }
    return "--set: the plug-in has no option '" + name.substr(0, 40) + "'";
}

// Applies NAME=VALUE changes to a copy of the plug-in's option table and hands it back through Eng14.
void ChangeOptions(const Plugin& p, const std::vector<std::string>& changes) {
    OptionDescriptor* descriptor = p.eng13();
    if (descriptor == nullptr || descriptor->Options == nullptr) return;
    std::vector<OptionRecord> edited(descriptor->Options, descriptor->Options + descriptor->OptionCount);
    std::vector<std::unique_ptr<std::uint8_t[]>> blocks;
    for (const std::string& change : changes) {
        const std::size_t equals = change.find('=');
        const std::string name = change.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : change.substr(equals + 1);
        for (OptionRecord& record : edited) {
            if (record.Name == nullptr || name != record.Name) continue;
            if (record.Type == OptionSpin) {
                record.Values[CurrentValue] = std::atoi(value.c_str());
            } else if (record.Type == OptionCheck) {
                record.Values[CurrentValue] = value == "true" || value == "1";
            } else if (record.Type == OptionCombo && record.DataSize > 2) {
                // The host edits its own copy of the block: the selected entry's index in byte 1.
                const auto* block = reinterpret_cast<const std::uint8_t*>(record.Values[CurrentValue]);
                auto copy = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(record.DataSize));
                std::memcpy(copy.get(), block, static_cast<std::size_t>(record.DataSize));
                std::size_t at = 2;
                for (int entry = 0; entry < block[0]; ++entry) {
                    if (std::string(reinterpret_cast<const char*>(block) + at + 1, block[at]) == value)
                        copy[1] = static_cast<std::uint8_t>(entry);
                    at += 1u + block[at];
                }
                record.Values[CurrentValue] = reinterpret_cast<std::intptr_t>(copy.get());
                blocks.push_back(std::move(copy));
            }
            std::printf("option %s set to %s\n", record.Name, value.c_str());
        }
    }
    OptionDescriptor changed = *descriptor;
    changed.Options = edited.data();
    changed.OptionCount = static_cast<std::int32_t>(edited.size());
    p.eng14(&changed);
}

void ListOptions(const Plugin& p) {
    const OptionDescriptor* descriptor = p.eng13();
    for (int i = 0; descriptor != nullptr && i < descriptor->OptionCount; ++i) {
        const OptionRecord& r = descriptor->Options[i];
        if (r.Type == OptionSpin || r.Type == OptionCheck)
            std::printf("option %s %s default %ld min %ld max %ld\n", r.Name, r.Type == OptionSpin ? "spin" : "check",
                        static_cast<long>(r.Values[DefaultValue]), static_cast<long>(r.Values[MinimumValue]),
                        static_cast<long>(r.Values[MaximumValue]));
        else
            std::printf("option %s %s\n", r.Name, r.Type == OptionCombo ? "combo" : "string");
    }
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (const int status = ParseArguments(argc, argv, settings); status >= 0) return status;
    if (const std::string error = CheckPosition(settings); !error.empty()) {
        std::fprintf(stderr, "zarn-host: %s\n", error.c_str());
        return 2;
    }

    SearchRequest request{};
    if (settings.fen.empty()) {
        request.StartPosition = 1;
        request.WhiteToMove = 1;
    } else if (!zarn::host::RequestFromFen(settings.fen, request)) {
        std::fprintf(stderr, "zarn-host: malformed FEN: %s\n", settings.fen.c_str());
        return 2;
    }
    if (!zarn::host::AppendGameMoves(settings.moves, request)) {
        std::fprintf(stderr, "zarn-host: malformed game moves: %s\n", settings.moves.c_str());
        return 2;
    }
    request.LimitMode = settings.mode;
    request.Depth = settings.depth;
    request.Seconds = settings.seconds;
    request.IncrementSeconds = settings.increment;
    request.TimeControlMoves = settings.timeMoves;
    request.Ponder = settings.ponder ? 1 : 0;

    const std::string pluginPath = settings.enginesDirectory + "/" + settings.plugin;
    void* module = zarn::platform::LoadLibrary(pluginPath.c_str());
    Plugin plugin;
    if (module == nullptr) {
        std::fprintf(stderr, "zarn-host: cannot load %s\n", pluginPath.c_str());
        return 1;
    }
    if (!BindPlugin(module, plugin)) return 1;
    Chess32SetHandler(PrintMessage);

    std::printf("plug-in %s: %s by %s, rating %d, interface %d\n", pluginPath.c_str(), plugin.eng7(), plugin.eng6(),
                plugin.eng8(), plugin.eng12());

    // The host owns the records and passes its two words in each; the plug-in only hands them back.
    auto mainline = std::make_unique<MainlineRecord>();
    auto currentMove = std::make_unique<CurrentMoveRecord>();
    auto depth = std::make_unique<DepthRecord>();
    auto nodes = std::make_unique<NodesRecord>();
    auto setup = std::make_unique<SetupRecord>();
    mainline->Head.HostWord8 = 1;
    mainline->Head.HostWord16 = 2;
    const int started = plugin.eng1(mainline.get(), currentMove.get(), depth.get(), nodes.get(), setup.get(),
                                    settings.hashKb, 0, 0);
    if (started != 0) {
        std::fprintf(stderr, "zarn-host: Eng1 refused with %d\n", started);
        return 1;
    }
    std::printf("engine started, hash %d KB\n", setup->HashKb);
    ListOptions(plugin);
    for (const std::string& change : settings.optionChanges) {
        if (const std::string error = CheckOptionChange(plugin.eng13(), change); !error.empty()) {
            std::fprintf(stderr, "zarn-host: %s\n", error.c_str());
            plugin.eng2();
            Chess32SetHandler(nullptr);
            zarn::platform::FreeLibrary(module);
            return 2;
        }
    }
    if (!settings.optionChanges.empty()) ChangeOptions(plugin, settings.optionChanges);

    std::thread search([&] {
        const int result = plugin.eng9(&request);
        std::printf("search ended with %d\n", result);
        searchDone = true;
    });
    if (settings.stopAfterMs >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(settings.stopAfterMs);
        while (!searchDone && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!searchDone) {
            std::printf("stopping the search (Eng3)\n");
            std::fflush(stdout);
            plugin.eng3();
        }
    }
    search.join();
    {
        std::lock_guard<std::mutex> hold(bestMoveLock);
        std::printf("best move %s\n", bestMove.empty() ? "(none reported)" : bestMove.c_str());
    }
    std::printf("engine stopped (Eng2 returned %d)\n", plugin.eng2());
    Chess32SetHandler(nullptr);
    zarn::platform::FreeLibrary(module);
    return 0;
}

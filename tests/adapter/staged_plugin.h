// Test support: the plug-in installed in a fresh engines directory and loaded through its real exports,
// and a recorder for the messages it posts to the host library.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "adapter/eng.h"
#include "adapter/records.h"
#include "tests/adapter/probe_engine.h"

namespace zarn::adapter_test {

using namespace zarn::adapter;

// What lies beside the plug-in under its base name with ".dll".
enum class EngineLibrary { None, Real, Probe, Incomplete };

// A directory of its own for the running test, below the build tree, emptied first.
std::filesystem::path FreshDirectory(const std::string& below);

class StagedPlugin {
public:
    // Installs the plug-in as directory/name (a base name ending in ".eng") with the chosen engine
    // library beside it, and loads it.
    StagedPlugin(const std::filesystem::path& directory, const std::string& name, EngineLibrary engine);
    ~StagedPlugin();
    StagedPlugin(const StagedPlugin&) = delete;
    StagedPlugin& operator=(const StagedPlugin&) = delete;

    // Eng1 with the host records below.
    int Start(int hashKb);

    decltype(&Eng1) eng1 = nullptr;
    decltype(&Eng2) eng2 = nullptr;
    decltype(&Eng3) eng3 = nullptr;
    decltype(&Eng4) eng4 = nullptr;
    decltype(&Eng5) eng5 = nullptr;
    decltype(&Eng6) eng6 = nullptr;
    decltype(&Eng7) eng7 = nullptr;
    decltype(&Eng8) eng8 = nullptr;
    decltype(&Eng9) eng9 = nullptr;
    decltype(&Eng10) eng10 = nullptr;
    decltype(&Eng11) eng11 = nullptr;
    decltype(&Eng12) eng12 = nullptr;
    decltype(&Eng13) eng13 = nullptr;
    decltype(&Eng14) eng14 = nullptr;
    decltype(&Eng15) eng15 = nullptr;
    decltype(&Eng19) eng19 = nullptr;
    decltype(&ShowText) showText = nullptr;

    // The host's records, allocated at their sizes; the host words at 8 and 16 carry recognisable values.
    std::unique_ptr<MainlineRecord> mainline = std::make_unique<MainlineRecord>();
    std::unique_ptr<CurrentMoveRecord> currentMove = std::make_unique<CurrentMoveRecord>();
    std::unique_ptr<DepthRecord> depth = std::make_unique<DepthRecord>();
    std::unique_ptr<NodesRecord> nodes = std::make_unique<NodesRecord>();
    std::unique_ptr<SetupRecord> setup = std::make_unique<SetupRecord>();

    // The stand-in engine's controls (only with EngineLibrary::Probe).
    std::string ProbeLog() const;
    void ProbeClearLog() const;
    void ProbeSetAnalyse(ProbeAnalyse script) const;
    void ProbeSetOptions(const char* const* texts) const;
    ProbeStopFlagFn ProbeStopFlag() const;

    std::filesystem::path pluginPath;
    std::filesystem::path enginePath;

private:
    void* plugin_ = nullptr;
    void* probe_ = nullptr;
};

// A search request from the start position with a depth limit.
SearchRequest StartPositionRequest(int depth);

// One message as the host received it, with a copy of its record.
struct Message {
    int code = 0;
    int word1 = 0;
    int word2 = 0;
    std::vector<std::uint8_t> bytes;
    std::string text;

    template <typename Record> const Record& As() const { return *reinterpret_cast<const Record*>(bytes.data()); }
};

// Installs itself as the host library's handler while it lives.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<Message> Messages() const;
    std::vector<int> Codes() const;
    void Clear();
    // Waits until a message with the code has arrived; false on timeout.
    bool WaitFor(int code, std::chrono::milliseconds timeout);

    // Called for every message; the result goes back to the plug-in.
    int Receive(int code, int word1, int word2, void* record);

private:
    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<Message> messages_;
};

}  // namespace zarn::adapter_test

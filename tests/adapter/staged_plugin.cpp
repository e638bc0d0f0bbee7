// Installing and loading the plug-in for a test, and recording what it tells the host.
#include "tests/adapter/staged_plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "host/chess32.h"
#include "platform/platform.h"

namespace zarn::adapter_test {
namespace fs = std::filesystem;

namespace {

MessageRecorder* activeRecorder = nullptr;

int CHESS32_CALL RecordMessage(int code, int word1, int word2, void* record) {
    return activeRecorder != nullptr ? activeRecorder->Receive(code, word1, word2, record) : 0;
}

std::size_t RecordSize(int code) {
    switch (code) {
        case host::MessageSearchStarted:
        case host::MessageMainline: return sizeof(MainlineRecord);
        case host::MessageCurrentMove: return sizeof(CurrentMoveRecord);
        case host::MessageNodes: return sizeof(NodesRecord);
        case host::MessageDepth: return sizeof(DepthRecord);
        default: return 0;
    }
}

fs::path EngineSource(EngineLibrary engine) {
    switch (engine) {
        case EngineLibrary::Real: return fs::path(ZARN_ENGINES_DIR) / "Zarn.dll";
        case EngineLibrary::Probe: return ZARN_PROBE_LIBRARY;
        case EngineLibrary::Incomplete: return ZARN_INCOMPLETE_LIBRARY;
        default: return {};
    }
}

template <typename Function> void Bind(void* module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(platform::FindSymbol(module, name));
    ASSERT_NE(function, nullptr) << name;
}

}  // namespace

fs::path FreshDirectory(const std::string& below) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path root = fs::path(ZARN_ADAPTER_STAGING) / (std::string(test->test_suite_name()) + "." + test->name());
    fs::remove_all(root);
    const fs::path directory = root / below;
    fs::create_directories(directory);
    return directory;
}

StagedPlugin::StagedPlugin(const fs::path& directory, const std::string& name, EngineLibrary engine) {
    fs::create_directories(directory);
    pluginPath = directory / name;
    enginePath = directory / (name.substr(0, name.size() - 3) + "dll");
    fs::copy_file(fs::path(ZARN_ENGINES_DIR) / "Zarn.eng", pluginPath, fs::copy_options::overwrite_existing);
    if (engine != EngineLibrary::None)
        fs::copy_file(EngineSource(engine), enginePath, fs::copy_options::overwrite_existing);
    if (engine == EngineLibrary::Probe) {
        // The test holds the engine library too, so the plug-in's later load finds this same instance.
        probe_ = platform::LoadLibrary(enginePath.string().c_str());
        EXPECT_NE(probe_, nullptr);
    }
    plugin_ = platform::LoadLibrary(pluginPath.string().c_str());
    EXPECT_NE(plugin_, nullptr) << pluginPath;
    if (plugin_ == nullptr) return;
    Bind(plugin_, "Eng1", eng1);
    Bind(plugin_, "Eng2", eng2);
    Bind(plugin_, "Eng3", eng3);
    Bind(plugin_, "Eng4", eng4);
    Bind(plugin_, "Eng5", eng5);
    Bind(plugin_, "Eng6", eng6);
    Bind(plugin_, "Eng7", eng7);
    Bind(plugin_, "Eng8", eng8);
    Bind(plugin_, "Eng9", eng9);
    Bind(plugin_, "Eng10", eng10);
    Bind(plugin_, "Eng11", eng11);
    Bind(plugin_, "Eng12", eng12);
    Bind(plugin_, "Eng13", eng13);
    Bind(plugin_, "Eng14", eng14);
    Bind(plugin_, "Eng15", eng15);
    Bind(plugin_, "Eng19", eng19);
    Bind(plugin_, "ShowText", showText);
    mainline->Head.HostWord8 = 8008;
    mainline->Head.HostWord12 = 1212;
    mainline->Head.HostWord16 = 1616;
    currentMove->Head.HostWord8 = 8;
    currentMove->Head.HostWord16 = 16;
    depth->Head.HostWord8 = 88;
    depth->Head.HostWord16 = 1616;
    nodes->Head.HostWord8 = 888;
    nodes->Head.HostWord16 = 161616;
}

StagedPlugin::~StagedPlugin() {
    if (eng2 != nullptr) eng2();
    if (plugin_ != nullptr) platform::FreeLibrary(plugin_);
    if (probe_ != nullptr) platform::FreeLibrary(probe_);
}

int StagedPlugin::Start(int hashKb) {
    return eng1(mainline.get(), currentMove.get(), depth.get(), nodes.get(), setup.get(), hashKb, 0, 0);
}

std::string StagedPlugin::ProbeLog() const {
    const auto log = reinterpret_cast<ProbeLogFn>(platform::FindSymbol(probe_, "ProbeLog"));
    return log != nullptr ? log() : "(no probe)";
}

void StagedPlugin::ProbeClearLog() const {
    if (const auto clear = reinterpret_cast<ProbeClearLogFn>(platform::FindSymbol(probe_, "ProbeClearLog"))) clear();
}

void StagedPlugin::ProbeSetAnalyse(ProbeAnalyse script) const {
    if (const auto set = reinterpret_cast<ProbeSetAnalyseFn>(platform::FindSymbol(probe_, "ProbeSetAnalyse")))
        set(script);
}

void StagedPlugin::ProbeSetOptions(const char* const* texts) const {
    if (const auto set = reinterpret_cast<ProbeSetOptionsFn>(platform::FindSymbol(probe_, "ProbeSetOptions")))
        set(texts);
}

ProbeStopFlagFn StagedPlugin::ProbeStopFlag() const {
    return reinterpret_cast<ProbeStopFlagFn>(platform::FindSymbol(probe_, "ProbeStopFlag"));
}

SearchRequest StartPositionRequest(int depth) {
    SearchRequest request{};
    request.StartPosition = 1;
    request.WhiteToMove = 1;
    request.LimitMode = LimitDepth;
    request.Depth = static_cast<std::int16_t>(depth);
    return request;
}

MessageRecorder::MessageRecorder() {
    activeRecorder = this;
    Chess32SetHandler(RecordMessage);
}

MessageRecorder::~MessageRecorder() {
    Chess32SetHandler(nullptr);
    activeRecorder = nullptr;
}

int MessageRecorder::Receive(int code, int word1, int word2, void* record) {
    Message message;
    message.code = code;
    message.word1 = word1;
    message.word2 = word2;
    if (record != nullptr) {
        if (code == host::MessageText) {
            message.text = static_cast<const char*>(record);
        } else {
            const auto* bytes = static_cast<const std::uint8_t*>(record);
            message.bytes.assign(bytes, bytes + RecordSize(code));
        }
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        messages_.push_back(std::move(message));
    }
    arrived_.notify_all();
    return 0;
}

std::vector<Message> MessageRecorder::Messages() const {
    std::lock_guard<std::mutex> hold(lock_);
    return messages_;
}

std::vector<int> MessageRecorder::Codes() const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<int> codes;
    for (const Message& message : messages_) codes.push_back(message.code);
    return codes;
}

void MessageRecorder::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    messages_.clear();
}

bool MessageRecorder::WaitFor(int code, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> hold(lock_);
    return arrived_.wait_for(hold, timeout, [&] {
        return std::any_of(messages_.begin(), messages_.end(), [&](const Message& m) { return m.code == code; });
    });
}

}  // namespace zarn::adapter_test

// Forwarding callbacks between the engine's plain function pointers and the installed listener.
#include "cli/uci/engine.h"

#include <algorithm>
#include <atomic>

#include "engine/interface/zarn.h"
#include "engine/search/hash.h"
#include "engine/search/root_result.h"

namespace zarn::cli {
namespace {

std::atomic<ReportListener*> currentListener{nullptr};
bool engineStarted = false;

void ZARN_CALL ForwardNodes(int nodes, int, int) {
    if (ReportListener* listener = currentListener.load(std::memory_order_acquire)) listener->OnNodes(nodes);
}

void ZARN_CALL ForwardDepth(int depth, int) {
    if (ReportListener* listener = currentListener.load(std::memory_order_acquire)) listener->OnDepth(depth);
}

void ZARN_CALL ForwardMove(const char* move, int index, int count) {
    if (ReportListener* listener = currentListener.load(std::memory_order_acquire))
        listener->OnCurrentMove(move ? move : "", index, count);
}

// The root search tells the program of the same results, at every depth and with the whole line.
void ZARN_CALL IgnoreMainline(const char*, int) {}

void ZARN_CALL IgnoreText(const char*) {}

void ForwardResult(int kind, const RootLine& line) {
    if (ReportListener* listener = currentListener.load(std::memory_order_acquire)) listener->OnResult(kind, line);
}

void ForwardLines(int depth, int count) {
    if (ReportListener* listener = currentListener.load(std::memory_order_acquire)) listener->OnLines(depth, count);
}

bool ForwardIteration(int depth) {
    ReportListener* listener = currentListener.load(std::memory_order_acquire);
    return !listener || listener->OnIteration(depth);
}

const ReportCallbacks forwardingCallbacks = {
    static_cast<std::int32_t>(sizeof(ReportCallbacks)),
    ForwardNodes,
    ForwardDepth,
    ForwardMove,
    IgnoreMainline,
    IgnoreText,
};

}  // namespace

void SetReportListener(ReportListener* listener) { currentListener.store(listener, std::memory_order_release); }

int StartEngine(int hashMb) {
    StopEngine();
    hashMb = std::clamp(hashMb, 1, MaxProgramHashMb);
    // The engine starts with at most the library's largest tables; the program's larger ones replace
    // them where the memory is there.
    int granted = ZarnInit(&forwardingCallbacks, "", std::min(hashMb, 1024) * 1024);
    if (granted >= 0 && hashMb > 1024 && ResizeTables(hashMb)) granted = hashMb * 1024;
    SetRootResultListener(ForwardResult);
    SetRootLinesListener(ForwardLines);
    SetIterationListener(ForwardIteration);
    engineStarted = granted >= 0;
    return granted;
}

void StopEngine() {
    if (!engineStarted) return;
    ZarnQuit();
    engineStarted = false;
}

}  // namespace zarn::cli

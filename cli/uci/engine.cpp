// Forwarding callbacks between the engine's plain function pointers and the installed listener.
#include "cli/uci/engine.h"

#include <atomic>

#include "engine/interface/zarn.h"
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

void ZARN_CALL ForwardMainline(const char* line, int score) {
    if (ReportListener* listener = currentListener.load(std::memory_order_acquire))
        listener->OnMainline(line ? line : "", score);
}

void ZARN_CALL IgnoreText(const char*) {}

void ForwardLines(int depth, int count) {
    if (ReportListener* listener = currentListener.load(std::memory_order_acquire)) listener->OnLines(depth, count);
}

const ReportCallbacks forwardingCallbacks = {
    static_cast<std::int32_t>(sizeof(ReportCallbacks)),
    ForwardNodes,
    ForwardDepth,
    ForwardMove,
    ForwardMainline,
    IgnoreText,
};

}  // namespace

void SetReportListener(ReportListener* listener) { currentListener.store(listener, std::memory_order_release); }

int StartEngine(int hashMb) {
    StopEngine();
    if (hashMb < 1) hashMb = 1;
    if (hashMb > 1024) hashMb = 1024;
    const int granted = ZarnInit(&forwardingCallbacks, "", hashMb * 1024);
    SetRootLinesListener(ForwardLines);
    engineStarted = granted >= 0;
    return granted;
}

void StopEngine() {
    if (!engineStarted) return;
    ZarnQuit();
    engineStarted = false;
}

}  // namespace zarn::cli

// The stand-in host library: a single forwarding entry point and the hook that fills it.
#define CHESS32_BUILDING
#include "host/chess32.h"

#include <atomic>

namespace {

// Installed from the host's main thread, read in the plug-in's search thread.
std::atomic<Chess32Handler> installedHandler{nullptr};

}  // namespace

extern "C" {

CHESS32_API int CHESS32_CALL Func3(int code, int word1, int word2, void* record) {
    Chess32Handler handler = installedHandler.load(std::memory_order_acquire);
    return handler != nullptr ? handler(code, word1, word2, record) : 0;
}

CHESS32_API Chess32Handler CHESS32_CALL Chess32SetHandler(Chess32Handler handler) {
    return installedHandler.exchange(handler, std::memory_order_acq_rel);
}

}  // extern "C"

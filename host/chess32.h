// The stand-in host library: Func3, declared where the plug-in imports it, passes every message to a
// handler that the host program installs.
#pragma once

#include "adapter/host_api.h"

extern "C" {

typedef int(CHESS32_CALL* Chess32Handler)(int code, int word1, int word2, void* record);

// Installs the handler for all later messages (null removes it); returns the one installed before.
// Func3 passes each message to it and returns its result, 0 when none is installed.
CHESS32_API Chess32Handler CHESS32_CALL Chess32SetHandler(Chess32Handler handler);

}  // extern "C"

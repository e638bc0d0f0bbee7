// The test controls of the stand-in engine library, bound by name from the loaded library.
#pragma once

#include "engine/interface/zarn.h"

#define PROBE_API ZARN_API

extern "C" {

// What ZarnAnalyse does: the script gets the callback record and the ponder argument and returns the
// analysis result.
typedef int (*ProbeAnalyse)(const ReportCallbacks* callbacks, int ponder);

// A requested hash size that ZarnInit refuses with a negative result.
inline constexpr int ProbeRefusedHashKb = 7777;

}

// Type names for binding the controls.
using ProbeLogFn = const char* (*)();
using ProbeClearLogFn = void (*)();
using ProbeSetAnalyseFn = void (*)(ProbeAnalyse);
using ProbeSetOptionsFn = void (*)(const char* const*);
using ProbeStopFlagFn = int (*)();

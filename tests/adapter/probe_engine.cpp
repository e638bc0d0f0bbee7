// A stand-in engine library for the adapter tests. It exports the engine's entry points, records every
// call in a log the test reads back, and lets the test script what an analysis reports. Built twice:
// complete, and without ZarnSetGame (PROBE_WITHOUT_SET_GAME) to show that a missing required entry
// stops the binding.
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "engine/interface/zarn.h"
#include "tests/adapter/probe_engine.h"

namespace {

std::mutex logLock;
std::string callLog;
std::string logCopy;
ReportCallbacks callbacks{};
ProbeAnalyse analyseScript = nullptr;
std::atomic<int> stopFlag{0};
const char* const* optionTexts = nullptr;

constexpr const char* DefaultOptions[] = {
    "option name RecaptureExtensions type spin default 45 min 0 max 60",
    "option name DrawScore type spin default 15 min -50 max 50",
    nullptr,
};

void Log(const std::string& entry) {
    std::lock_guard<std::mutex> hold(logLock);
    if (!callLog.empty()) callLog += ' ';
    callLog += entry;
}

std::string Text(const char* text) { return text != nullptr ? text : "(null)"; }

}  // namespace

extern "C" {

PROBE_API const char* ProbeLog(void) {
    std::lock_guard<std::mutex> hold(logLock);
    logCopy = callLog;
    return logCopy.c_str();
}

PROBE_API void ProbeClearLog(void) {
    std::lock_guard<std::mutex> hold(logLock);
    callLog.clear();
}

PROBE_API void ProbeSetAnalyse(ProbeAnalyse script) { analyseScript = script; }

PROBE_API void ProbeSetOptions(const char* const* texts) { optionTexts = texts; }

PROBE_API int ProbeStopFlag(void) { return stopFlag.load(std::memory_order_relaxed); }

ZARN_API int ZARN_CALL ZarnInit(const ReportCallbacks* record, const char* directory, int hashKb) {
    callbacks = *record;
    Log("Init(" + Text(directory) + "," + std::to_string(hashKb) + ")");
    return hashKb == ProbeRefusedHashKb ? -1 : hashKb;
}

ZARN_API void ZARN_CALL ZarnQuit(void) { Log("Quit"); }
ZARN_API void ZARN_CALL ZarnSetPosition(char* fen) { Log("SetPosition(" + Text(fen) + ")"); }
ZARN_API void ZARN_CALL ZarnSetStartPosition(void) { Log("SetStartPosition"); }
#if !defined(PROBE_WITHOUT_SET_GAME)
ZARN_API void ZARN_CALL ZarnSetGame(char* moves) { Log("SetGame(" + Text(moves) + ")"); }
#endif
ZARN_API void ZARN_CALL ZarnSetTime(int moves, int seconds) {
    Log("SetTime(" + std::to_string(moves) + "," + std::to_string(seconds) + ")");
}
ZARN_API void ZARN_CALL ZarnSetBlitz(int seconds, int increment) {
    Log("SetBlitz(" + std::to_string(seconds) + "," + std::to_string(increment) + ")");
}
ZARN_API void ZARN_CALL ZarnSetUsed(int first, int second) {
    Log("SetUsed(" + std::to_string(first) + "," + std::to_string(second) + ")");
}
ZARN_API void ZARN_CALL ZarnSetDepth(int depth) { Log("SetDepth(" + std::to_string(depth) + ")"); }
ZARN_API void ZARN_CALL ZarnSetInfinite(void) { Log("SetInfinite"); }

ZARN_API int ZARN_CALL ZarnAnalyse(int ponder) {
    Log("Analyse(" + std::to_string(ponder) + ")");
    stopFlag.store(0, std::memory_order_relaxed);
    return analyseScript != nullptr ? analyseScript(&callbacks, ponder) : 0;
}

ZARN_API void ZARN_CALL ZarnStopAnalyse(void) {
    stopFlag.store(1, std::memory_order_relaxed);
    Log("Stop");
}
ZARN_API void ZARN_CALL ZarnPonderingOff(void) { Log("PonderingOff"); }
ZARN_API void ZARN_CALL ZarnNextBest(void) { Log("NextBest"); }
ZARN_API void ZARN_CALL ZarnClearHashtable(void) { Log("ClearHashtable"); }
ZARN_API const char* ZARN_CALL ZarnGetVersion(void) { return "Probe 1"; }
ZARN_API const char* ZARN_CALL ZarnGetAuthor(void) { return "the probe"; }
ZARN_API int ZARN_CALL ZarnGetElo(void) { return 2100; }
ZARN_API const char* const* ZARN_CALL ZarnGetParamList(void) {
    return optionTexts != nullptr ? optionTexts : DefaultOptions;
}
ZARN_API void ZARN_CALL ZarnSetParam(const char* name, const char* value) {
    Log("SetParam(" + Text(name) + "," + Text(value) + ")");
}

}  // extern "C"

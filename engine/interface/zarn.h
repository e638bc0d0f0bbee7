// The engine library's exported interface: eighteen C functions and the callback record. The header
// is plain C as well, for programs in either language that embed the engine.
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#define ZARN_CALL __cdecl
#define ZARN_API
#else
#define ZARN_CALL
#define ZARN_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void(ZARN_CALL* ShowNodesFn)(int nodes, int, int);
typedef void(ZARN_CALL* ShowDepthFn)(int depth, int);
typedef void(ZARN_CALL* ShowMoveFn)(const char* move, int index, int count);
typedef void(ZARN_CALL* ShowMainlineFn)(const char* line, int score);
typedef void(ZARN_CALL* ShowTextFn)(const char* text);

// Record size first, then the five callbacks. 24 bytes on 32-bit platforms.
typedef struct ReportCallbacks {
    int32_t RecordSize;
    ShowNodesFn ShowNodes;
    ShowDepthFn ShowDepth;
    ShowMoveFn ShowMove;
    ShowMainlineFn ShowMainline;
    ShowTextFn ShowText;
} ReportCallbacks;

ZARN_API int ZARN_CALL ZarnInit(const ReportCallbacks* callbacks, const char* directory, int hashKb);
ZARN_API void ZARN_CALL ZarnQuit(void);
ZARN_API void ZARN_CALL ZarnSetPosition(char* fen);
ZARN_API void ZARN_CALL ZarnSetStartPosition(void);
ZARN_API void ZARN_CALL ZarnSetGame(char* moves);
ZARN_API void ZARN_CALL ZarnSetTime(int moves, int seconds);
ZARN_API void ZARN_CALL ZarnSetBlitz(int seconds, int incrementSeconds);
ZARN_API void ZARN_CALL ZarnSetDepth(int depth);
ZARN_API void ZARN_CALL ZarnSetInfinite(void);
ZARN_API int ZARN_CALL ZarnAnalyse(int ponder);
ZARN_API void ZARN_CALL ZarnStopAnalyse(void);
ZARN_API void ZARN_CALL ZarnPonderingOff(void);
ZARN_API void ZARN_CALL ZarnClearHashtable(void);
ZARN_API const char* ZARN_CALL ZarnGetVersion(void);
ZARN_API const char* ZARN_CALL ZarnGetAuthor(void);
ZARN_API const char* const* ZARN_CALL ZarnGetParamList(void);
ZARN_API void ZARN_CALL ZarnSetParam(const char* name, const char* value);
ZARN_API void ZARN_CALL ZarnNextBest(void);

#ifdef __cplusplus
}  // extern "C"
#endif

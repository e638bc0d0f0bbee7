// The plug-in's exports as the chess host calls them: Eng1 to Eng15, Eng19 and the five report functions.
// The host program and the tests take the function types from here (decltype(&Eng1)); they bind the
// functions by name at run time.
#pragma once

#include "adapter/records.h"

#if defined(_WIN32)
#define ENG_CALL __cdecl
#define ENG_API
#else
#define ENG_CALL
#define ENG_API __attribute__((visibility("default")))
#endif

extern "C" {

// Lifecycle and identity.
ENG_API int ENG_CALL Eng1(zarn::adapter::MainlineRecord* mainline, zarn::adapter::CurrentMoveRecord* currentMove,
                          zarn::adapter::DepthRecord* depth, zarn::adapter::NodesRecord* nodes,
                          zarn::adapter::SetupRecord* setup, int hashKb, int unused1, int unused2);
ENG_API int ENG_CALL Eng2(void);
ENG_API int ENG_CALL Eng5(void);
ENG_API const char* ENG_CALL Eng6(void);
ENG_API const char* ENG_CALL Eng7(void);
ENG_API int ENG_CALL Eng8(void);
ENG_API int ENG_CALL Eng12(void);
ENG_API int ENG_CALL Eng15(void);
ENG_API void* ENG_CALL Eng19(void);

// Search requests.
ENG_API int ENG_CALL Eng3(void);
ENG_API int ENG_CALL Eng4(void);
ENG_API int ENG_CALL Eng9(zarn::adapter::SearchRequest* request);
ENG_API int ENG_CALL Eng10(void);
ENG_API int ENG_CALL Eng11(void);

// Options.
ENG_API zarn::adapter::OptionDescriptor* ENG_CALL Eng13(void);
ENG_API int ENG_CALL Eng14(zarn::adapter::OptionDescriptor* edited);

// Reports from the engine, forwarded to the host.
ENG_API int ENG_CALL ShowNodes(int nodes, int second, int third);
ENG_API int ENG_CALL ShowDepth(int depth, int second);
ENG_API int ENG_CALL ShowMove(const char* move, int index, int count);
ENG_API int ENG_CALL ShowMainline(const char* line, int score);
ENG_API int ENG_CALL ShowText(const char* text);

}  // extern "C"

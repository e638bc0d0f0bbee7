// The host library: the plug-in posts every message to the host through Func3, and the host program
// decides what happens to it by installing a handler.
#pragma once

#if defined(_WIN32)
#define CHESS32_CALL __cdecl
#if defined(CHESS32_BUILDING)
#define CHESS32_API __declspec(dllexport)
#else
#define CHESS32_API __declspec(dllimport)
#endif
#else
#define CHESS32_CALL
#define CHESS32_API __attribute__((visibility("default")))
#endif

extern "C" {

typedef int(CHESS32_CALL* Chess32Handler)(int code, int word1, int word2, void* record);

// Passes the message to the installed handler and returns its result; 0 when none is installed.
CHESS32_API int CHESS32_CALL Func3(int code, int word1, int word2, void* record);

// Installs the handler for all later messages (null removes it); returns the one installed before.
CHESS32_API Chess32Handler CHESS32_CALL Chess32SetHandler(Chess32Handler handler);

}  // extern "C"

// Message codes sent to the host.
namespace zarn::host {
inline constexpr int MessageSearchStarted = 330;
inline constexpr int MessageText = 336;
inline constexpr int MessageMainline = 340;
inline constexpr int MessageCurrentMove = 342;
inline constexpr int MessageNodes = 343;
inline constexpr int MessageDepth = 344;
}  // namespace zarn::host

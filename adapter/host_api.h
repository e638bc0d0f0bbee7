// The host library as the plug-in sees it: Func3, the one entry point the plug-in imports from the
// host's Chess32 library, through which it posts every message to the host, and the message codes.
// The host implements it; host/ holds a stand-in.
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

// Passes a message with the host's two words of the record and the record itself to the host; the
// host's answer comes back.
CHESS32_API int CHESS32_CALL Func3(int code, int word1, int word2, void* record);

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

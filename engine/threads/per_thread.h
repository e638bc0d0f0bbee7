// Storage of the state that each searching thread holds for itself: the position, the search stack,
// the move buffer, killers, history, node counts and the evaluation's scratch values.
//
// In a threaded build (the zarn program) such state is thread_local: every thread of the process has
// its own copy, at a fixed offset from the thread pointer (the local-exec model: the threaded core is
// linked into executables only), one instruction per access like a static. Elsewhere (the engine
// library) it is plain static storage, one engine per process as the library has always been. Either
// way the state is constant-initialised, so no access pays for a lazy initialisation.
#pragma once

#if defined(ZARN_THREADED) && ZARN_THREADED
#define ZARN_PER_THREAD constinit thread_local __attribute__((tls_model("local-exec")))
#else
#define ZARN_PER_THREAD constinit
#endif

namespace zarn {

// True in the build whose searches may run on several threads.
#if defined(ZARN_THREADED) && ZARN_THREADED
inline constexpr bool ThreadedBuild = true;
#else
inline constexpr bool ThreadedBuild = false;
#endif

}  // namespace zarn

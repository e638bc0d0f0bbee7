// The helper threads of a threaded build (the zarn program): made once, kept between analyses. While
// the main searcher (the thread that runs the analysis) searches, each helper searches the same root
// on a state of its own, sharing only the transposition tables: what the helpers store there makes
// the main searcher's iterations cheaper. The main searcher alone reports, watches the clock and
// chooses the move. In the engine library there are no helpers and all of this does nothing.
#pragma once

#include <cstdint>

#include "engine/threads/per_thread.h"

namespace zarn {

inline constexpr int MaxSearchThreads = ThreadedBuild ? 512 : 1;

// Sets how many threads search an analysis, the main searcher included (1 to MaxSearchThreads), by
// making or ending helpers. Only between analyses. Returns the number in force, fewer than asked when
// the system refuses a thread.
int SetSearchThreads(int count);
int SearchThreads();

// Called by the root search once the root is prepared: the helpers start on a copy of the calling
// thread's state. StopHelpers raises the stop flag and returns once every helper has left its search,
// or at once when the analysis may end before its helpers (below).
void StartHelpers(int side);
void StopHelpers();

// An analysis may return as soon as its helpers are told to stop, so that its caller can give the
// move without waiting for them; the caller must then call WaitForHelpers before it changes anything
// they read (the options, the tables). Off by default. The UCI session uses it.
void SetAnalysisEndsBeforeHelpers(bool early);
// Returns once no helper is in a search (at once without helpers).
void WaitForHelpers();

// The helpers search from construction to destruction (nothing happens without helpers).
class HelperSearches {
public:
    explicit HelperSearches(int side) {
        if constexpr (ThreadedBuild) StartHelpers(side);
    }
    ~HelperSearches() {
        if constexpr (ThreadedBuild) StopHelpers();
    }
    HelperSearches(const HelperSearches&) = delete;
    HelperSearches& operator=(const HelperSearches&) = delete;
};

// Node accounting across the threads of the current (or last) analysis. Each thread publishes its own
// count at its node checks; the sums are up to one check interval behind for the other threads.
bool IsHelperThread();
int ActiveSearchThreads();
void PublishNodes(std::uint64_t nodes);
std::uint64_t OtherThreadsNodes();

// A helper checks its node count this often: its count in the reports and under a node budget stays
// that close to its true value.
inline constexpr std::int32_t HelperNodesPerCheck = 8192;

}  // namespace zarn

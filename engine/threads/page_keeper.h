// Background work on the pages of the transposition tables (threaded build): a table no longer used is
// released, and a new one faulted in, by a thread of their own, so that neither delays the caller nor
// the first search. Faulting in changes no byte, so it may overlap a search. Without threads the
// release happens at once and nothing is faulted in ahead.
#pragma once

#include <cstddef>

namespace zarn {

// Releases a block of platform::AllocateZeroedPages (after any earlier request has been dealt with).
void ReleaseInBackground(void* block, std::size_t bytes);

// Faults the pages of a block in, unless a later request comes first. The block must stay allocated
// until a ReleaseInBackground of it.
void PopulateInBackground(void* block, std::size_t bytes);

// Waits until every request so far has been dealt with, at most timeoutMs milliseconds; true when done.
bool WaitForBackgroundPages(int timeoutMs);

}  // namespace zarn

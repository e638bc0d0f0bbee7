// The program's link to the engine: one engine per process, initialised with callbacks that pass the
// engine's progress reports on to whichever listener is installed, together with the root search's
// own reports to the program.
#pragma once

#include "engine/search/root_result.h"

namespace zarn::cli {

// Receives the engine's reports on the searching thread, in the order the engine makes them. The
// engine's variation reports (from five plies on) are not passed on: the root search tells the
// program of every result at every depth instead.
class ReportListener {
public:
    virtual ~ReportListener() = default;
    virtual void OnDepth(int depth) = 0;
    virtual void OnNodes(int nodes) = 0;
    virtual void OnCurrentMove(const char* move, int index, int count) = 0;
    // A result of an ordinary analysis (kind ReportExact, ReportFailHigh or ReportFailLow) as the
    // search recorded it; the search waits at its root meanwhile.
    virtual void OnResult(int kind, const RootLine& line) = 0;
    // A multi-line analysis completed an iteration: its lines are the engine's reported root lines.
    virtual void OnLines(int /*depth*/, int /*count*/) {}
    // An iteration is complete; false ends the analysis.
    virtual bool OnIteration(int /*depth*/) { return true; }
};

// Installs the listener for the reports of the next analyses; null drops them.
void SetReportListener(ReportListener* listener);

// Initialises the engine with a hash table of hashMb megabytes, 1 to MaxProgramHashMb (releasing a
// previous initialisation first), and returns the size granted in kilobytes, negative on failure.
int StartEngine(int hashMb);
// Releases the engine's tables when it was started.
void StopEngine();

}  // namespace zarn::cli

// Game reviews spread over worker processes of this program (the engine is one per process), handed
// back in the games' order. The worker is `zarn annotate --worker` with the limit's option: it reads
// games from its standard input and writes their reviews to its standard output, in this file's
// framing, until its input ends.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/annotate/game_review.h"

namespace zarn::cli {

// Worker processes at most.
inline constexpr int MaxReviewProcesses = 256;

struct ReviewRun {
    static constexpr std::size_t NoJob = std::numeric_limits<std::size_t>::max();
    bool complete = true;           // every job was reviewed and taken
    std::size_t lostJob = NoJob;    // otherwise the first job whose review was lost (NoJob when the
                                    // taker stopped the run)
    std::string failure;            // and why it was lost
};

// Reviews the games of the jobs, each in a worker process of its own, at most `processes` at a time
// (never more than there are jobs). Each review goes to take on the calling thread, in
// the jobs' order; take returns false to stop the run. progress gets the positions searched so far, on
// the calling thread, after every position or at least five times a second. When a worker ends
// without its review, the reviews before that job are still taken, the other workers are ended and
// the run reports the lost job.
ReviewRun ReviewInOrder(std::span<const ReviewJob> jobs, int processes, const AnalysisLimit& limit, bool charts,
                        const std::function<bool(std::size_t job, GameReview& review)>& take,
                        const std::function<void(std::size_t positions)>& progress);

// The worker's side: reviews the games of standard input until its end; returns the exit status (0, or
// 2 when the input was malformed or the engine could not start).
int RunReviewWorker(const AnalysisLimit& limit);

// The worker's command-line arguments after the program's name for a limit.
std::vector<std::string> ReviewWorkerArguments(const AnalysisLimit& limit);

}  // namespace zarn::cli

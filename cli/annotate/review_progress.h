// The progress of an annotation run on one terminal line of standard error, when that is a terminal:
// games done of the total, positions searched, positions per second, time used and time left.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zarn::cli {

class ReviewProgress {
public:
    ReviewProgress(std::size_t games, std::size_t positions);

    // Redrawn at most ten times a second, and whenever a game is done.
    void Update(std::size_t gamesDone, std::size_t positionsDone);
    void Finish(std::size_t annotated, std::size_t refused, std::size_t positionsDone);

private:
    bool shown_;
    std::size_t games_;
    std::size_t positions_;
    std::size_t gamesDone_ = 0;
    std::int64_t start_;
    std::int64_t lastShown_ = 0;
    bool onLine_ = false;
};

}  // namespace zarn::cli

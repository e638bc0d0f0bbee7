// Progress of an annotation run on a terminal.
#include "cli/annotate/review_progress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace zarn::cli {
namespace {

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string Clock(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace

ReviewProgress::ReviewProgress(std::size_t games, std::size_t positions)
    : shown_(isatty(STDERR_FILENO) != 0), games_(games), positions_(positions), start_(Now()) {}

void ReviewProgress::Update(std::size_t gamesDone, std::size_t positionsDone) {
    if (!shown_) return;
    const std::int64_t now = Now();
    if (gamesDone == gamesDone_ && now - lastShown_ < 100) return;
    gamesDone_ = gamesDone;
    lastShown_ = now;
    const std::int64_t elapsed = now - start_;
    const double perSecond = elapsed > 0 ? 1000.0 * double(positionsDone) / double(elapsed) : 0.0;
    std::string left = "?";
    if (positionsDone > 0 && positionsDone <= positions_)
        left = Clock(static_cast<std::int64_t>(double(elapsed) * double(positions_ - positionsDone) / double(positionsDone)));
    std::fprintf(stderr, "\rzarn annotate: %zu/%zu games, %zu/%zu positions, %.1f positions/s, elapsed %s, left %s   ",
                 gamesDone, games_, positionsDone, positions_, perSecond, Clock(elapsed).c_str(), left.c_str());
    std::fflush(stderr);
    onLine_ = true;
}

void ReviewProgress::Finish(std::size_t annotated, std::size_t refused, std::size_t positionsDone) {
    if (!shown_) return;
    if (onLine_) std::fprintf(stderr, "\n");
    const std::int64_t elapsed = Now() - start_;
    std::fprintf(stderr, "zarn annotate: %zu games annotated, %zu copied unchanged, %zu positions in %s (%.1f positions/s)\n",
                 annotated, refused, positionsDone, Clock(elapsed).c_str(),
                 elapsed > 0 ? 1000.0 * double(positionsDone) / double(elapsed) : 0.0);
}

}  // namespace zarn::cli

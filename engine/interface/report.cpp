// Progress reports: the current root move after the first second, the variation from five plies on.
#include "engine/interface/report.h"

#include <cstdio>
#include <cstring>

#include "engine/board/board.h"
#include "engine/interface/callbacks.h"
#include "engine/search/extra_limits.h"
#include "engine/search/root.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "engine/search/timer.h"

namespace zarn {

namespace {

// The node count of the reports, in 32 bits: every searching thread's nodes (the library has one).
int ReportedNodes() {
    if constexpr (ThreadedBuild) return static_cast<int>(static_cast<std::uint32_t>(SearchedNodes()));
    return static_cast<int>(NodeCount);
}

// The depth and node count that precede every report.
void ShowDepthAndNodes(int depth) {
    if (Callbacks.ShowDepth) Callbacks.ShowDepth(depth / OnePly, 0);
    if (Callbacks.ShowNodes) Callbacks.ShowNodes(ReportedNodes(), 0, 0);
}

}  // namespace

const char* MoveText(Move move, char (&buffer)[MoveTextSize]) {
    char from[3], to[3];
    const int promotion = MovePromotion(move);
    if (promotion >= Knight && promotion <= Queen)
        std::snprintf(buffer, MoveTextSize, "%s%s%c", SquareName(MoveFrom(move), from), SquareName(MoveTo(move), to),
                      PieceLetters[promotion]);
    else
        std::snprintf(buffer, MoveTextSize, "%s%s", SquareName(MoveFrom(move), from), SquareName(MoveTo(move), to));
    return buffer;
}

const char* PvText(int kind, char (&buffer)[PvTextSize]) {
    buffer[0] = '\0';
    const Move* pv = SearchStack[1].Pv;
    char move[MoveTextSize];
    if (kind == ReportFailHigh || kind == ReportFailLow) {
        std::snprintf(buffer, PvTextSize, "%s%s", MoveText(pv[1], move), kind == ReportFailHigh ? "!" : "?");
        return buffer;
    }
    std::size_t length = 0;
    for (int i = 1; i < MaxPly && pv[i] != 0; ++i) {
        MoveText(pv[i], move);
        const std::size_t moveLength = std::strlen(move);
        if (length + moveLength + 2 > PvTextSize) break;
        std::memcpy(buffer + length, move, moveLength);
        length += moveLength;
        buffer[length++] = ' ';
        buffer[length] = '\0';
    }
    return buffer;
}

void ReportCurrentMove(int depth) {
    if (ElapsedMs() <= 1000) return;
    ShowDepthAndNodes(depth);
    if (Callbacks.ShowMove) {
        char move[MoveTextSize];
        Callbacks.ShowMove(MoveText(CurrentRootMove, move), CurrentRootMoveIndex, SearchStack[1].MoveEnd - 1);
    }
}

void ReportPv(int score, int depth, int kind) {
    if (depth < 5 * OnePly) return;
    char text[PvTextSize];
    PvText(kind, text);
    ShowDepthAndNodes(depth);
    if (Callbacks.ShowMainline) Callbacks.ShowMainline(text, score);
}

}  // namespace zarn

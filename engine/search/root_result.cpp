// The best root line and the lines of a multi-line analysis.
#include "engine/search/root_result.h"

#include <algorithm>
#include <utility>

#include "engine/moves/buffer.h"

namespace zarn {
namespace {

RootLine bestLine;
RootLine pendingLines[MaxRootLines];
RootLine reportedLines[MaxRootLines];
int lineCount = 1;
RootLinesListener linesListener = nullptr;
RootResultListener resultListener = nullptr;
IterationListener iterationListener = nullptr;
RootLine resultLine;

void CopyRootPv(RootLine& line, int score, int depth) {
    line.Score = score;
    line.Depth = depth / OnePly;
    const Move* pv = SearchStack[1].Pv;
    int i = 0;
    for (; i + 1 < MaxPly && pv[i + 1] != 0; ++i) line.Moves[i] = pv[i + 1];
    line.Moves[i] = 0;
}

}  // namespace

const RootLine& BestRootLine() { return bestLine; }

void SetRootLineCount(int lines) { lineCount = std::clamp(lines, 1, MaxRootLines); }

int RootLineCount() { return lineCount; }

void SetRootLinesListener(RootLinesListener listener) { linesListener = listener; }

const RootLine& ReportedRootLine(int k) { return reportedLines[std::clamp(k, 0, MaxRootLines - 1)]; }

void SetRootResultListener(RootResultListener listener) { resultListener = listener; }

void SetIterationListener(IterationListener listener) { iterationListener = listener; }

void ClearRootResults() {
    bestLine.Moves[0] = 0;
    bestLine.Score = 0;
    bestLine.Depth = 0;
}

void RecordBestLine(int score, int depth) { CopyRootPv(bestLine, score, depth); }

void RecordRootLine(int k, int score, int depth) { CopyRootPv(pendingLines[k], score, depth); }

void ReportRootResult(int kind, int score, int depth) {
    if (!resultListener) return;
    CopyRootPv(resultLine, score, depth);
    resultListener(kind, resultLine);
}

bool FinishIteration(int depth) { return !iterationListener || iterationListener(depth / OnePly); }

void FinishRootLines(int count, int depth) {
    // A later line may come out better than an earlier one when the table changed in between. An
    // insertion sort keeps equal scores in their order and needs no memory beside the lines.
    for (int k = 1; k < count; ++k)
        for (int j = k; j > 0 && pendingLines[j].Score > pendingLines[j - 1].Score; --j)
            std::swap(pendingLines[j], pendingLines[j - 1]);
    for (int k = 0; k < count; ++k) {
        reportedLines[k] = pendingLines[k];
        MoveBuffer[MoveStart(1) + k] = pendingLines[k].Moves[0];
    }
    bestLine = pendingLines[0];
    Move* pv = SearchStack[1].Pv;
    int i = 0;
    for (; i + 1 < MaxPly - 1 && bestLine.Moves[i] != 0; ++i) pv[i + 1] = bestLine.Moves[i];
    pv[i + 1] = 0;
    if (linesListener) linesListener(depth / OnePly, count);
}

}  // namespace zarn

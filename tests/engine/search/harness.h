// Drives the engine through its exports and records every callback, in order.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "engine/interface/zarn.h"
#include "tests/wait_until.h"

namespace zarn::testing {

struct ReportCall {
    enum Kind { Nodes, Depth, Move, Mainline, Text } kind;
    int first = 0;   // nodes, depth, move index, or score
    int second = 0;  // second argument (0 for nodes and depth; root move count for Move)
    std::string text;
};

inline std::vector<ReportCall>& Calls() {
    static std::vector<ReportCall> calls;
    return calls;
}

// The current-move reports so far; unlike Calls(), readable from another thread during an analysis.
inline std::atomic<int>& CurrentMoveReports() {
    static std::atomic<int> count{0};
    return count;
}

extern "C" {
inline void RecordNodes(int nodes, int b, int c) { Calls().push_back({ReportCall::Nodes, nodes, b + c, {}}); }
inline void RecordDepth(int depth, int b) { Calls().push_back({ReportCall::Depth, depth, b, {}}); }
inline void RecordMove(const char* move, int index, int count) {
    Calls().push_back({ReportCall::Move, index, count, move});
    ++CurrentMoveReports();
}
inline void RecordMainline(const char* line, int score) { Calls().push_back({ReportCall::Mainline, score, 0, line}); }
inline void RecordText(const char* text) { Calls().push_back({ReportCall::Text, 0, 0, text}); }
}

inline const ReportCallbacks RecordingCallbacks = {24, RecordNodes, RecordDepth, RecordMove, RecordMainline, RecordText};

// Starts the engine afresh with the recording callbacks and a small table.
inline void StartEngine(int hashKb = 4096) {
    ASSERT_GT(ZarnInit(&RecordingCallbacks, "", hashKb), 0);
    Calls().clear();
    CurrentMoveReports() = 0;
}

inline void SetFen(const std::string& fen) {
    std::vector<char> text(fen.begin(), fen.end());
    text.push_back('\0');
    ZarnSetPosition(text.data());
}

inline void SetGameMoves(const std::string& moves) {
    std::vector<char> text(moves.begin(), moves.end());
    text.push_back('\0');
    ZarnSetGame(text.data());
}

// The last exact variation report (its text ends with a space), or an empty report.
inline ReportCall LastExactLine() {
    const auto& calls = Calls();
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->kind == ReportCall::Mainline && !it->text.empty() && it->text.back() == ' ') return *it;
    return {ReportCall::Mainline, 0, 0, {}};
}

inline std::string FirstMoveOf(const std::string& line) { return line.substr(0, line.find(' ')); }

inline int DeepestReportedDepth() {
    int deepest = 0;
    for (const ReportCall& call : Calls())
        if (call.kind == ReportCall::Depth && call.first > deepest) deepest = call.first;
    return deepest;
}

// Searches the position to a fixed depth and returns the last exact variation.
inline ReportCall AnalyseToDepth(const std::string& fen, int plies, const std::string& moves = {}) {
    SetFen(fen);
    if (!moves.empty()) SetGameMoves(moves);
    ZarnSetDepth(plies);
    Calls().clear();
    ZarnAnalyse(0);
    return LastExactLine();
}

}  // namespace zarn::testing

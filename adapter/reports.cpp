// Reports from the engine: each one fills the host's record and posts a message through Func3.
#include "adapter/reports.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "adapter/eng.h"
#include "adapter/host_api.h"
#include "adapter/state.h"
#include "platform/platform.h"

namespace zarn::adapter {
namespace {

// Depth of the most recent depth report; node and current-move reports wait for a few iterations.
int lastDepth = 0;

char* textRing = nullptr;
int textRingOffset = 0;
int textRingSize = 0;

constexpr bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
constexpr bool IsRank(char c) { return c >= '1' && c <= '8'; }

std::uint8_t HostPromotion(char c) {
    switch (c) {
        case 'Q': return HostPromoteQueen;
        case 'N': return HostPromoteKnight;
        case 'B': return HostPromoteBishop;
        case 'R': return HostPromoteRook;
        default: return 0;
    }
}

template <typename Record> int Post(int code, Record* record) {
    return Func3(code, record->Head.HostWord16, record->Head.HostWord8, record);
}

// While a stop is pending the engine's reports only repeat the stop.
bool StopPending() {
    if (Load(StopRequested) == 0) return false;
    Eng3();
    return true;
}

// The engine's callbacks return nothing; these pass each report on to the exported function.
void ZARN_CALL ForwardNodes(int nodes, int second, int third) { ShowNodes(nodes, second, third); }
void ZARN_CALL ForwardDepth(int depth, int second) { ShowDepth(depth, second); }
void ZARN_CALL ForwardMove(const char* move, int index, int count) { ShowMove(move, index, count); }
void ZARN_CALL ForwardMainline(const char* line, int score) { ShowMainline(line, score); }
void ZARN_CALL ForwardText(const char* text) { ShowText(text); }

}  // namespace

ReportCallbacks MakeReportCallbacks() {
    return ReportCallbacks{static_cast<std::int32_t>(sizeof(ReportCallbacks)), ForwardNodes, ForwardDepth,
                           ForwardMove, ForwardMainline, ForwardText};
}

void AllocateTextRing() {
    FreeTextRing();
    textRing = new (std::nothrow) char[TextRingSize];
    textRingSize = textRing != nullptr ? TextRingSize : 0;
}

void FreeTextRing() {
    delete[] textRing;
    textRing = nullptr;
    textRingOffset = 0;
    textRingSize = 0;
}

HostMove ParseHostMove(const char* text) {
    HostMove move{0, 0, 0, 0};
    if (text == nullptr) return move;
    if (!IsFile(text[0]) || !IsRank(text[1])) return move;
    move.From = static_cast<std::uint8_t>((text[0] - 'a') * 8 + (text[1] - '1'));
    if (!IsFile(text[2]) || !IsRank(text[3])) return move;
    move.To = static_cast<std::uint8_t>((text[2] - 'a') * 8 + (text[3] - '1'));
    move.Promotion = HostPromotion(text[4]);
    return move;
}

// The engine's mate score (a side mated at ply p scores p - EngineMateScore); beyond HostMateBound the
// host is shown full moves to mate.
constexpr int EngineMateScore = 30000;
constexpr int HostMateBound = 29300;

HostScore ConvertScore(int score) {
    if (score > HostMateBound) return {static_cast<std::int16_t>((EngineMateScore + 1 - score) >> 1), ScoreMateInMoves};
    if (score < -HostMateBound) return {static_cast<std::int16_t>(-((score + EngineMateScore) >> 1)), ScoreMateInMoves};
    return {static_cast<std::int16_t>(score), ScoreInUnits};
}

}  // namespace zarn::adapter

using namespace zarn::adapter;

extern "C" {

ENG_API int ENG_CALL ShowNodes(int nodes, int second, int third) {
    if (StopPending()) return 0;
    NodesRecord* record = Records.Nodes;
    if (record == nullptr) return lastDepth;
    record->Values[0] = nodes;
    record->Values[1] = second;
    record->Values[2] = third;
    if (lastDepth <= 3) return lastDepth;
    return Post(zarn::host::MessageNodes, record);
}

ENG_API int ENG_CALL ShowDepth(int depth, int second) {
    if (StopPending()) return 0;
    lastDepth = depth;
    DepthRecord* record = Records.Depth;
    if (record == nullptr) return 0;
    record->Depth = static_cast<std::int16_t>(depth);
    record->Second = static_cast<std::int16_t>(second);
    return Post(zarn::host::MessageDepth, record);
}

ENG_API int ENG_CALL ShowMove(const char* move, int index, int count) {
    if (StopPending()) return 0;
    CurrentMoveRecord* record = Records.CurrentMove;
    if (record == nullptr) return lastDepth;
    record->Move = ParseHostMove(move);
    record->Index = static_cast<std::int16_t>(index);
    record->Count = static_cast<std::int16_t>(count);
    if (lastDepth <= 5) return lastDepth;
    return Post(zarn::host::MessageCurrentMove, record);
}

ENG_API int ENG_CALL ShowMainline(const char* line, int score) {
    if (StopPending()) return 0;
    MainlineRecord* record = Records.Mainline;
    if (record == nullptr) return 0;
    record->Flags = MainlineFlags;
    record->MoveCount = 0;
    record->Cleared226 = 0;
    const char* cursor = line != nullptr ? line : "";
    while (record->MoveCount < 31) {
        while (*cursor == ' ') ++cursor;
        if (*cursor == '\0') break;
        const char* token = cursor;
        while (*cursor != ' ' && *cursor != '\0') ++cursor;
        HostMove& move = record->Moves[record->MoveCount];
        move = ParseHostMove(token);
        if (move.From == move.To) break;
        if (record->MoveCount == 0) {
            for (const char* c = token; c != cursor; ++c) {
                if (*c == '!') { record->Flags |= MainlineFailHigh; break; }
                if (*c == '?') { record->Flags |= MainlineFailLow; break; }
            }
        }
        ++record->MoveCount;
    }
    const HostScore converted = ConvertScore(score);
    record->ScoreValue = converted.Value;
    record->ScoreKind = converted.Kind;
    record->ElapsedSeconds = (zarn::platform::TickCount() - SearchStartTick + 500u) / 1000u;
    return Post(zarn::host::MessageMainline, record);
}

ENG_API int ENG_CALL ShowText(const char* text) {
    if (textRing == nullptr) return 0;
    if (text == nullptr) text = "";
    int length = static_cast<int>(std::min<std::size_t>(std::strlen(text), TextRingSize));
    if (textRingOffset + length + 1 >= textRingSize) {
        textRingOffset = 0;
        if (length >= textRingSize) length = textRingSize - 1;
    }
    char* copy = textRing + textRingOffset;
    std::memcpy(copy, text, static_cast<std::size_t>(length));
    copy[length] = '\0';
    textRingOffset += length + 1;
    MainlineRecord* mainline = Records.Mainline;
    const int word16 = mainline != nullptr ? mainline->Head.HostWord16 : 0;
    const int word8 = mainline != nullptr ? mainline->Head.HostWord8 : 0;
    return Func3(zarn::host::MessageText, word16, word8, copy);
}

}  // extern "C"

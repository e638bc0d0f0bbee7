// The engine's progress reports turned into host records and messages.
#pragma once

#include <cstdint>

#include "adapter/records.h"
#include "engine/interface/zarn.h"

namespace zarn::adapter {

inline constexpr int TextRingSize = 8192;

// The callback record handed to the engine at start: the report functions of this plug-in.
ReportCallbacks MakeReportCallbacks();

// The ring that keeps copies of text reports for the host. Without it text reports are dropped.
void AllocateTextRing();
void FreeTextRing();

// Reads "e7e8Q" style move text: four bytes cleared, then as much as fits of file, rank, file, rank and
// a capital promotion letter.
HostMove ParseHostMove(const char* text);

// A score as the host shows it: engine units, or moves to mate (negative when the side to move is mated).
struct HostScore {
    std::int16_t Value;
    std::int16_t Kind;
};
HostScore ConvertScore(int score);

}  // namespace zarn::adapter

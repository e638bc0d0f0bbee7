// The fuzzed inputs: each runner feeds one input to one entry of the system and aborts with a message
// when a result breaks a rule that holds for every input. The libFuzzer targets call these, and the
// regression tests replay the saved inputs through the same functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zarn::fuzz {

// FEN text into ZarnSetPosition, then the legal moves, make and undo of each, and a depth-2 analysis.
int RunFenInput(const std::uint8_t* data, std::size_t size);
// "[#]FEN\nMOVES": a position (the start position without a line break), then the move text into
// ZarnSetGame; a leading '#' hands the same text over again and again, up to the replay limit.
int RunGameInput(const std::uint8_t* data, std::size_t size);
// Lines taken in pairs, name then value, into ZarnSetParam; then a short analysis with the values.
int RunParamInput(const std::uint8_t* data, std::size_t size);
// Lines into the zarn program's UCI command handler, on clocks that only the fuzzer's calls move.
int RunUciInput(const std::uint8_t* data, std::size_t size);
// PGN text through the reader, the replay and the writer: the written games read back the same.
int RunPgnInput(const std::uint8_t* data, std::size_t size);
// A control byte, a SearchRequest record and option edits into the plug-in (Eng13, Eng14, Eng9).
int RunAdapterInput(const std::uint8_t* data, std::size_t size);
// Stops the engine that RunAdapterInput keeps started between inputs (for a replay among other tests).
void StopAdapterEngine();

}  // namespace zarn::fuzz

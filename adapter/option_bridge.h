// The engine's options offered to the host as option records, and the host's changes passed back.
#pragma once

#include "adapter/records.h"

namespace zarn::adapter {

inline constexpr int MaxOptionName = 63;
inline constexpr int MaxComboEntries = 64;
inline constexpr int MaxComboEntryText = 63;

// Fills the option table from the engine's option texts ("option name X type spin default 1 min 0
// max 2", ...), ended by a null pointer or an empty text. Clears every change mark.
void ImportEngineOptions(const char* const* texts);

// Sends every option the host changed since the last search to the engine, then clears the mark.
void PushChangedOptions();

// Frees the names and value blocks and empties the table.
void FreeOptionTable();

}  // namespace zarn::adapter

// The caller's callback record, copied at every ZarnInit and read by the progress reports.
#pragma once

#include "engine/interface/zarn.h"

namespace zarn {

// All fields null until the first ZarnInit.
extern ReportCallbacks Callbacks;

// Copies the caller's record whole; a null record pointer leaves every callback null.
void CopyCallbacks(const ReportCallbacks* record);

}  // namespace zarn

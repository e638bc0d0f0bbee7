// Storage of the copied callback record.
#include "engine/interface/callbacks.h"

namespace zarn {

ReportCallbacks Callbacks{};

void CopyCallbacks(const ReportCallbacks* record) { Callbacks = record ? *record : ReportCallbacks{}; }

}  // namespace zarn

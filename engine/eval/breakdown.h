// A readable account of one traced evaluation, term by term.
#pragma once

#include <string>

#include "engine/eval/trace.h"

namespace zarn {

// Information lines, then one line per term (indented by two spaces, its contribution last), then the
// line "Evaluation: N". The term contributions add up to N.
std::string FormatEvalBreakdown(const EvalTrace& trace, int side);

}  // namespace zarn

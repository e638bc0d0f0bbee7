// The stages of the move pickers (PickerStage of a ply). NextMove passes them in order from
// StageHashMove to StageRemaining, possibly several in one call; NextEvasion goes from StageHashMove
// straight to StageEvasions.
#pragma once

#include <cstdint>

namespace zarn {

enum class Stage : std::int32_t {
    StageHashMove = 0,          // try the hash move
    StageGenerateCaptures = 1,  // generate and score the captures
    StageGoodCaptures = 2,      // captures scoring 0 or more, best first
    StageKiller1 = 3,
    StageKiller2 = 4,
    StageGenerateQuiets = 5,    // append the quiet moves
    StageHistory = 6,           // up to four picks by history counter
    StageRemaining = 7,         // every move still in the range, from the end backwards
    StageEvasions = 8,          // the evasion picker: by score
};

}  // namespace zarn

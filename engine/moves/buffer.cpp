// Storage of the move buffer shared by all plies.
#include "engine/moves/buffer.h"

namespace zarn {

ZARN_PER_THREAD Move MoveBuffer[MoveBufferSize];
ZARN_PER_THREAD std::int32_t MoveScore[MoveBufferSize];

}  // namespace zarn

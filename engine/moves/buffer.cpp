// Storage of the move buffer shared by all plies.
#include "engine/moves/buffer.h"

namespace zarn {

Move MoveBuffer[MoveBufferSize];
std::int32_t MoveScore[MoveBufferSize];

}  // namespace zarn

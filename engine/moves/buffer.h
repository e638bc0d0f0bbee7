// The move buffer shared by all plies: ply p owns [MoveStart(p), MoveEnd(p)).
#pragma once

#include <cstdint>

#include "engine/board/types.h"
#include "engine/threads/per_thread.h"

namespace zarn {

inline constexpr int MoveBufferSize = 5000;

extern ZARN_PER_THREAD Move MoveBuffer[MoveBufferSize];
extern ZARN_PER_THREAD std::int32_t MoveScore[MoveBufferSize];

}  // namespace zarn

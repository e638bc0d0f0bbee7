// The move buffer shared by all plies: ply p owns [MoveStart(p), MoveEnd(p)).
#pragma once

#include <cstdint>

#include "engine/board/types.h"

namespace zarn {

inline constexpr int MoveBufferSize = 5000;

extern Move MoveBuffer[MoveBufferSize];
extern std::int32_t MoveScore[MoveBufferSize];

}  // namespace zarn

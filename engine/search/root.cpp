// Root search: iterative deepening, aspiration windows, root move ordering and instability.
#include "engine/search/root.h"

namespace zarn {

Move CurrentRootMove = 0;
std::int32_t CurrentRootMoveIndex = 0;
std::int32_t RootInstability = 0;
std::int32_t BestMoveChangeDepth = 0;

}  // namespace zarn

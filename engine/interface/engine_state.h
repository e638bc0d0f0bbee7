// Engine-wide settings fixed by ZarnInit.
#pragma once

namespace zarn {

// Size of each transposition table in megabytes, 1..1024 (up to MaxProgramHashMb after the program's
// ResizeTables); 0 before the first ZarnInit.
extern int HashSizeMb;

// The hash size granted for a request in kilobytes: the kilobytes shifted right by 10 (rounding
// toward minus infinity), clamped to 1..1024.
int HashSizeFromKilobytes(int hashKb);

}  // namespace zarn

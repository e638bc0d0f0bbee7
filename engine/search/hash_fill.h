// How full the transposition tables are, as the program shows it.
#pragma once

namespace zarn {

// Entries written at the current game ply per thousand, from a sample at the start of both tables;
// 0 when no table is held.
int HashFullPermille();

}  // namespace zarn

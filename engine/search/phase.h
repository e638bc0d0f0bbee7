// What an analysis prepares before it searches: the game phase, the draw values of the two sides
// and each side's copies of the king-safety and king-attack tables.
#pragma once

#include <cstdint>

#include "engine/threads/per_thread.h"

namespace zarn {

// 0 opening, 1 middlegame, 2 endgame. Cleared when a position is set, advanced at each analysis.
inline constexpr int OpeningPhase = 0;
inline constexpr int MiddlegamePhase = 1;
inline constexpr int EndgamePhase = 2;
extern ZARN_PER_THREAD int GamePhase;

// Value of a draw for White and for Black during the current analysis: the side to move at the
// root gets +DrawScore, its opponent -DrawScore.
extern ZARN_PER_THREAD int WhiteDrawScore;
extern ZARN_PER_THREAD int BlackDrawScore;

// Penalty by king danger (0..63) and attack value by attack points + 8 (0..127), one copy per colour.
inline constexpr int SafetyTableSize = 64;
inline constexpr int OffensiveTableSize = 128;
extern ZARN_PER_THREAD std::int32_t WhiteSafety[SafetyTableSize];
extern ZARN_PER_THREAD std::int32_t BlackSafety[SafetyTableSize];
extern ZARN_PER_THREAD std::int32_t WhiteOffensive[OffensiveTableSize];
extern ZARN_PER_THREAD std::int32_t BlackOffensive[OffensiveTableSize];

// Draw values for an analysis with `side` to move at the root.
void SetDrawValues(int side);

// Advances the game phase and rebuilds the safety and offensive copies from the options, `side`
// being the side to move at the root.
void PrepareRoot(int side);

}  // namespace zarn

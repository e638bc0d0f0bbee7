// The engine's own random source for the Zobrist keys: the same keys on every platform.
#pragma once

#include <cstdint>

#include "engine/board/types.h"

namespace zarn {

// The generator's state; 1 at load, and never reseeded, so a second start-up continues the sequence.
extern std::uint32_t KeyGeneratorState;

// One value 0..32767: state = state * 214013 + 2531011 (mod 2^32), value = (state >> 16) & 32767.
int NextRandom();

// One key from sixteen values, the low four bits of each filling bits 0-3, 4-7, ..., 60-63.
Key NextKey();

// Draws the keys square by square: for each square the twelve piece keys (White pawn..king,
// Black pawn..king), then its en-passant key.
void BuildZobristKeys();

}  // namespace zarn

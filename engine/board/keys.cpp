// The random source of the Zobrist keys and the order in which the keys are drawn.
#include "engine/board/keys.h"

#include "engine/board/tables.h"

namespace zarn {

std::uint32_t KeyGeneratorState = 1;

int NextRandom() {
    KeyGeneratorState = KeyGeneratorState * 214013u + 2531011u;
    return static_cast<int>((KeyGeneratorState >> 16) & 32767u);
}

Key NextKey() {
    Key key = 0;
    for (int nibble = 0; nibble < 16; ++nibble) key |= static_cast<Key>(NextRandom() & 15) << (4 * nibble);
    return key;
}

void BuildZobristKeys() {
    for (int square = 0; square < 64; ++square) {
        for (int index = 0; index < 12; ++index) ZobristKeys[index][square] = NextKey();
        EpKeys[square] = NextKey();
    }
}

}  // namespace zarn

// The filling of the transposition tables, estimated from a sample of their first entries.
#include "engine/search/hash_fill.h"

#include <algorithm>
#include <cstdint>

#include "engine/board/board.h"
#include "engine/search/hash.h"

namespace zarn {

int HashFullPermille() {
    if (!WhiteTable || !BlackTable || EntryCount == 0) return 0;
    constexpr std::uint64_t SamplePerTable = 500;
    const std::uint64_t sample = std::min(SamplePerTable, EntryCount);
    const int age = static_cast<int>(static_cast<std::uint64_t>(GamePly) & FieldMask(AgeBits));
    std::uint64_t used = 0;
    for (const HashEntry* table : {WhiteTable, BlackTable})
        for (std::uint64_t i = 0; i < sample; ++i)
            if (const HashEntry entry{0, LoadWord(table[i].Data)}; entry.Data != 0 && EntryAge(entry) == age) ++used;
    return static_cast<int>(used * 1000 / (2 * sample));
}

}  // namespace zarn

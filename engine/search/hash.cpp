// Transposition tables: allocation, probe with claim-at-probe replacement, and store.
#include "engine/search/hash.h"

#include <algorithm>
#include <functional>

#include "engine/board/board.h"
#include "engine/interface/engine_state.h"
#include "engine/search/stack.h"
#include "platform/platform.h"

namespace zarn {

std::uint64_t BucketCount = 0;
std::uint64_t EntryCount = 0;
HashEntry* WhiteTable = nullptr;
HashEntry* BlackTable = nullptr;
Remainder BucketOfKey;

namespace {

// Depth and age together (data bits 0-22): the replacement order, older and shallower first.
constexpr std::uint64_t AgeDepthMask = FieldMask(DepthBits + AgeBits);

Key NodeKey(int ply) { return SearchStack[ply].PawnKey ^ SearchStack[ply].PieceKey; }

bool InTable(const HashEntry* entry, const HashEntry* table) {
    return table && !std::less<const HashEntry*>()(entry, table) &&
           std::less<const HashEntry*>()(entry, table + EntryCount);
}

// The probe rule on one bucket: the entry holding the key, else the replacement candidate claimed
// for it, else null when every entry is of the current game ply and deeper than the node.
HashEntry* LookUp(HashEntry* table, Key key, int depth) {
    HashEntry* bucket = BucketOf(table, key);
    HashEntry* candidate = bucket;
    for (int i = 0; i < BucketSize; ++i) {
        HashEntry* entry = bucket + i;
        if (entry->KeyWord == key) return entry;
        if ((entry->Data & AgeDepthMask) < (candidate->Data & AgeDepthMask)) candidate = entry;
    }
    const int age = static_cast<int>(static_cast<std::uint64_t>(GamePly) & FieldMask(AgeBits));
    if (EntryAge(*candidate) == age && EntryDepth(*candidate) > depth) return nullptr;
    candidate->KeyWord = key;
    candidate->Data = 0;
    return candidate;
}

}  // namespace

void FreeTables() {
    const std::size_t bytes = static_cast<std::size_t>(EntryCount) * sizeof(HashEntry);
    platform::FreeZeroedPages(WhiteTable, bytes);
    WhiteTable = nullptr;
    platform::FreeZeroedPages(BlackTable, bytes);
    BlackTable = nullptr;
    BucketCount = 0;
    BucketOfKey = Remainder();
    EntryCount = 0;
}

bool AllocateTablesOfSize(int megabytes) {
    const int mb = std::clamp(megabytes, 1, 1024);
    const std::uint64_t buckets = static_cast<std::uint64_t>(mb) * BucketsPerMb;
    const std::uint64_t entries = buckets * BucketSize;
    if (WhiteTable && BlackTable && entries == EntryCount) {
        // The same size again: the tables in hand only need clearing.
        ClearTables();
        return true;
    }
    FreeTables();
    if (entries > SIZE_MAX / sizeof(HashEntry)) return false;
    // Fresh pages from the system read as zeros, and a zero entry is an empty one: nothing to write, and
    // no page is resident before the search touches it.
    const std::size_t bytes = static_cast<std::size_t>(entries) * sizeof(HashEntry);
    WhiteTable = static_cast<HashEntry*>(platform::AllocateZeroedPages(bytes));
    BlackTable = WhiteTable ? static_cast<HashEntry*>(platform::AllocateZeroedPages(bytes)) : nullptr;
    BucketCount = buckets;
    BucketOfKey = Remainder(buckets);
    EntryCount = entries;
    if (!WhiteTable || !BlackTable) {
        FreeTables();
        return false;
    }
    return true;
}

bool AllocateTables() { return AllocateTablesOfSize(HashSizeMb); }

void ClearTables() {
    const std::size_t bytes = static_cast<std::size_t>(EntryCount) * sizeof(HashEntry);
    platform::ZeroPages(WhiteTable, bytes);
    platform::ZeroPages(BlackTable, bytes);
}

HashEntry* ProbeOrClaim(int whiteToMove, int depth, int ply) {
    HashEntry* table = whiteToMove ? WhiteTable : BlackTable;
    if (!table) return nullptr;
    return LookUp(table, NodeKey(ply), depth);
}

void StoreEntry(HashEntry* entry, Move move, int depth, int ply, int score, int flags) {
    if (!entry) return;
    const Key key = NodeKey(ply);
    if (entry->KeyWord != key) {
        // A deeper node of the same search took this entry over; find the node's own slot again.
        HashEntry* table = InTable(entry, WhiteTable) ? WhiteTable : BlackTable;
        if (!table) return;
        entry = LookUp(table, key, depth);
        if (!entry) return;
    }
    if (score > MateScoreBound)
        score += ply;
    else if (score < -MateScoreBound)
        score -= ply;
    if (EntryDepth(*entry) > depth) return;
    const int stored = std::clamp(score + MateScore, 0, 65535);
    entry->Data = PackEntryData(depth, GamePly, flags, stored, move);
}

}  // namespace zarn

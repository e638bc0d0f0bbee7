// Transposition tables: allocation, probe with claim-at-probe replacement, and store.
#include "engine/search/hash.h"

#include <algorithm>
#include <functional>

#include "engine/board/board.h"
#include "engine/interface/engine_state.h"
#include "engine/search/stack.h"
#include "engine/threads/page_keeper.h"
#include "engine/threads/pool.h"
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

// Tables at least this large together are faulted in, renewed and released in the background.
constexpr std::uint64_t BackgroundPagesFrom = std::uint64_t{128} << 20;

std::size_t TableBytes(std::uint64_t entries) { return static_cast<std::size_t>(entries) * sizeof(HashEntry); }

bool InBackground(std::uint64_t entries) { return ThreadedBuild && 2 * TableBytes(entries) >= BackgroundPagesFrom; }

// Puts two tables of the given bucket count in place; the caller takes care of the ones they replace.
void InstallTables(HashEntry* white, HashEntry* black, std::uint64_t buckets) {
    WhiteTable = white;
    BlackTable = black;
    BucketCount = buckets;
    BucketOfKey = Remainder(buckets);
    EntryCount = buckets * BucketSize;
    if (InBackground(EntryCount)) {
        PopulateInBackground(WhiteTable, TableBytes(EntryCount));
        PopulateInBackground(BlackTable, TableBytes(EntryCount));
    }
}

// Fresh zero pages for both tables, or neither.
bool AllocatePair(std::size_t bytes, HashEntry*& white, HashEntry*& black) {
    white = static_cast<HashEntry*>(platform::AllocateZeroedPages(bytes));
    black = white ? static_cast<HashEntry*>(platform::AllocateZeroedPages(bytes)) : nullptr;
    if (white && black) return true;
    platform::FreeZeroedPages(white, bytes);
    white = black = nullptr;
    return false;
}

// Releases tables no longer in place: in the background where they are large (in order with any
// faulting in of theirs), at once otherwise.
void ReleasePair(HashEntry* white, HashEntry* black, std::uint64_t entries) {
    const std::size_t bytes = TableBytes(entries);
    if (InBackground(entries)) {
        ReleaseInBackground(white, bytes);
        ReleaseInBackground(black, bytes);
    } else {
        platform::FreeZeroedPages(white, bytes);
        platform::FreeZeroedPages(black, bytes);
    }
}

bool InTable(const HashEntry* entry, const HashEntry* table) {
    return table && !std::less<const HashEntry*>()(entry, table) &&
           std::less<const HashEntry*>()(entry, table + EntryCount);
}

// The probe rule on one bucket: the entry holding the key, else the replacement candidate claimed
// for it, else none when every entry is of the current game ply and deeper than the node.
HashProbe LookUp(HashEntry* table, Key key, int depth) {
    HashEntry* bucket = BucketOf(table, key);
    for (int i = 0; i < BucketSize; ++i) {
        const std::uint64_t data = LoadWord(bucket[i].Data);
        if (KeyOfWords(LoadWord(bucket[i].KeyWord), data) == key) return {bucket + i, data};
    }
    // A miss: the replacement candidate, worked out only now (the bucket is in the cache by then).
    HashEntry* candidate = bucket;
    std::uint64_t candidateData = LoadWord(bucket->Data);
    for (int i = 1; i < BucketSize; ++i) {
        const std::uint64_t data = LoadWord(bucket[i].Data);
        if ((data & AgeDepthMask) < (candidateData & AgeDepthMask)) {
            candidate = bucket + i;
            candidateData = data;
        }
    }
    const int age = static_cast<int>(static_cast<std::uint64_t>(GamePly) & FieldMask(AgeBits));
    const HashEntry seen{0, candidateData};
    if (EntryAge(seen) == age && EntryDepth(seen) > depth) return {};
    StoreWord(candidate->KeyWord, KeyWordFor(key, 0));
    StoreWord(candidate->Data, 0);
    return {candidate, 0};
}

}  // namespace

void FreeTables() {
    WaitForHelpers();
    const bool background = InBackground(EntryCount);
    ReleasePair(WhiteTable, BlackTable, EntryCount);
    WhiteTable = nullptr;
    BlackTable = nullptr;
    BucketCount = 0;
    BucketOfKey = Remainder();
    EntryCount = 0;
    // The memory is given back by the time the tables are released.
    if (background) WaitForBackgroundPages(60000);
}

bool AllocateTablesOfSize(int megabytes) {
    WaitForHelpers();
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
    // no page is resident before the search (or the page keeper) touches it.
    HashEntry* white = nullptr;
    HashEntry* black = nullptr;
    if (!AllocatePair(TableBytes(entries), white, black)) return false;
    InstallTables(white, black, buckets);
    return true;
}

bool ResizeTables(int megabytes) {
    WaitForHelpers();
    const int mb = std::clamp(megabytes, 1, MaxProgramHashMb);
    const std::uint64_t buckets = static_cast<std::uint64_t>(mb) * BucketsPerMb;
    const std::uint64_t entries = buckets * BucketSize;
    if (entries > SIZE_MAX / sizeof(HashEntry) / 2) return false;
    // Refuse what the system could only give by swapping (or by ending some process): the present
    // tables count as given back.
    const std::uint64_t wanted = 2 * std::uint64_t{TableBytes(entries)};
    const std::uint64_t available = platform::AvailableMemory();
    if (available != 0 && wanted > available + 2 * std::uint64_t{TableBytes(EntryCount)}) return false;
    HashEntry* white = nullptr;
    HashEntry* black = nullptr;
    if (!AllocatePair(TableBytes(entries), white, black)) return false;
    ReleasePair(WhiteTable, BlackTable, EntryCount);
    InstallTables(white, black, buckets);
    HashSizeMb = mb;
    return true;
}

bool AllocateTables() { return AllocateTablesOfSize(HashSizeMb); }

void ClearTables() {
    WaitForHelpers();
    const std::size_t bytes = TableBytes(EntryCount);
    if (InBackground(EntryCount) && WhiteTable && BlackTable) {
        // Fresh zero pages at once; the used ones go back to the system in the background.
        HashEntry* white = nullptr;
        HashEntry* black = nullptr;
        if (AllocatePair(bytes, white, black)) {
            ReleasePair(WhiteTable, BlackTable, EntryCount);
            InstallTables(white, black, BucketCount);
            return;
        }
    }
    platform::ZeroPages(WhiteTable, bytes);
    platform::ZeroPages(BlackTable, bytes);
}

HashProbe ProbeOrClaim(int whiteToMove, int depth, int ply) {
    HashEntry* table = whiteToMove ? WhiteTable : BlackTable;
    if (!table) return {};
    return LookUp(table, NodeKey(ply), depth);
}

std::uint64_t PeekEntry(int whiteToMove, Key key) {
    const HashEntry* table = whiteToMove ? WhiteTable : BlackTable;
    if (!table) return 0;
    const HashEntry* bucket = BucketOf(const_cast<HashEntry*>(table), key);
    for (int i = 0; i < BucketSize; ++i) {
        const std::uint64_t data = LoadWord(bucket[i].Data);
        if (KeyOfWords(LoadWord(bucket[i].KeyWord), data) == key && (data & FieldMask(DepthBits)) != 0) return data;
    }
    return 0;
}

void StoreEntry(HashEntry* entry, Move move, int depth, int ply, int score, int flags) {
    if (!entry) return;
    const Key key = NodeKey(ply);
    HashEntry current{key, LoadWord(entry->Data)};
    if (KeyOfWords(LoadWord(entry->KeyWord), current.Data) != key) {
        // A deeper node (or another thread) took this entry over; find the node's own slot again.
        HashEntry* table = InTable(entry, WhiteTable) ? WhiteTable : BlackTable;
        if (!table) return;
        const HashProbe probe = LookUp(table, key, depth);
        if (!probe.Entry) return;
        entry = probe.Entry;
        current.Data = probe.Data;
    }
    if (score > MateScoreBound)
        score += ply;
    else if (score < -MateScoreBound)
        score -= ply;
    if (EntryDepth(current) > depth) return;
    const int stored = std::clamp(score + MateScore, 0, 65535);
    const std::uint64_t data = PackEntryData(depth, GamePly, flags, stored, move);
    StoreWord(entry->Data, data);
    if constexpr (ThreadedBuild) StoreWord(entry->KeyWord, KeyWordFor(key, data));
}

}  // namespace zarn

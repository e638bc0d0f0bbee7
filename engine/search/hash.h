// The transposition tables: one for positions with White to move, one for Black to move.
// An entry is two 64-bit words, the full key and the packed data; a bucket is six entries.
//
// In a threaded build every searching thread reads and writes the same tables, without a lock: each
// word is read and written whole (relaxed atomic accesses, plain moves on x86-64), and the key word
// holds the key exclusive-or the data, so that an entry whose two words come from two different
// stores reads as some other position's and is ignored. The library keeps the plain key and plain
// accesses.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/board/types.h"
#include "engine/search/remainder.h"
#include "engine/threads/per_thread.h"

namespace zarn {

// Trivial, and empty when all zeros: a table of fresh zero pages from the system is a cleared table.
struct HashEntry {
    Key KeyWord;
    std::uint64_t Data;
};

// One word of an entry, read or written whole.
inline std::uint64_t LoadWord(const std::uint64_t& word) {
    if constexpr (ThreadedBuild)
        return std::atomic_ref<std::uint64_t>(const_cast<std::uint64_t&>(word)).load(std::memory_order_relaxed);
    else
        return word;
}
inline void StoreWord(std::uint64_t& word, std::uint64_t value) {
    if constexpr (ThreadedBuild)
        std::atomic_ref<std::uint64_t>(word).store(value, std::memory_order_relaxed);
    else
        word = value;
}

// The key word an entry holds for a position's key and the entry's data, and back.
constexpr Key KeyWordFor(Key key, std::uint64_t data) { return ThreadedBuild ? key ^ data : key; }
constexpr Key KeyOfWords(Key keyWord, std::uint64_t data) { return ThreadedBuild ? keyWord ^ data : keyWord; }

inline constexpr int BucketSize = 6;
inline constexpr std::uint64_t BucketsPerMb = 5461;

// Flag bits of an entry.
inline constexpr int UpperBound = 1;  // the node failed low
inline constexpr int LowerBound = 2;  // the node failed high
inline constexpr int Exact = 4;
inline constexpr int MateThreat = 8;  // the side to move would be mated at once if it passed

// Packed data: Depth 0-11, Age 12-22, Flags 23-26, StoredScore 27-42, Move 43-63.
inline constexpr int DepthBits = 12, AgeBits = 11, FlagBits = 4, ScoreBits = 16, MoveBits = 21;
inline constexpr int AgeShift = 12, FlagShift = 23, ScoreShift = 27, MoveShift = 43;

constexpr std::uint64_t FieldMask(int bits) { return (std::uint64_t{1} << bits) - 1; }

constexpr std::uint64_t PackEntryData(int depth, int age, int flags, int storedScore, Move move) {
    return (static_cast<std::uint64_t>(depth) & FieldMask(DepthBits)) |
           ((static_cast<std::uint64_t>(age) & FieldMask(AgeBits)) << AgeShift) |
           ((static_cast<std::uint64_t>(flags) & FieldMask(FlagBits)) << FlagShift) |
           ((static_cast<std::uint64_t>(storedScore) & FieldMask(ScoreBits)) << ScoreShift) |
           ((static_cast<std::uint64_t>(move) & FieldMask(MoveBits)) << MoveShift);
}

constexpr int EntryDepth(const HashEntry& e) { return static_cast<int>(e.Data & FieldMask(DepthBits)); }
constexpr int EntryAge(const HashEntry& e) { return static_cast<int>((e.Data >> AgeShift) & FieldMask(AgeBits)); }
constexpr int EntryFlags(const HashEntry& e) { return static_cast<int>((e.Data >> FlagShift) & FieldMask(FlagBits)); }
constexpr int EntryStoredScore(const HashEntry& e) {
    return static_cast<int>((e.Data >> ScoreShift) & FieldMask(ScoreBits));
}
constexpr Move EntryMove(const HashEntry& e) { return static_cast<Move>((e.Data >> MoveShift) & FieldMask(MoveBits)); }

// The score of an entry as seen from a node at the given ply: mate scores count from the root again.
constexpr int EntryScore(const HashEntry& e, int ply) {
    int score = EntryStoredScore(e) - MateScore;
    if (score > MateScoreBound)
        score -= ply;
    else if (score < -MateScoreBound)
        score += ply;
    return score;
}

// Table geometry, valid while the tables are allocated.
extern std::uint64_t BucketCount;
extern std::uint64_t EntryCount;
extern HashEntry* WhiteTable;
extern HashEntry* BlackTable;
extern Remainder BucketOfKey;  // a key's bucket number: the key modulo BucketCount

inline HashEntry* BucketOf(HashEntry* table, Key key) { return table + BucketOfKey.Of(key) * BucketSize; }

// Allocates both tables at HashSizeMb megabytes, every entry empty; false (and nothing held) on failure.
// Tables held from an earlier call of the same size are cleared and kept, others released first.
bool AllocateTables();
bool AllocateTablesOfSize(int megabytes);
// Empties both tables. A threaded build puts fresh zero pages in place of large tables and leaves the
// release of the old ones and the faulting in of the new ones to the page keeper.
void ClearTables();
void FreeTables();

// The program's table sizes go beyond the library's 1024 MB.
inline constexpr int MaxProgramHashMb = sizeof(void*) >= 8 ? 65536 : 1024;

// New empty tables of 1 to MaxProgramHashMb megabytes in place of the present ones, allocated before
// the present ones are released. False, with the present tables kept as they are, when the system
// cannot give the memory without swapping. For the program, between searches.
bool ResizeTables(int megabytes);

// Asks the processor to fetch the bucket of a position ahead of its probe; changes nothing else.
inline void PrefetchBucket(int whiteToMove, Key key) {
    HashEntry* table = whiteToMove ? WhiteTable : BlackTable;
    if (!table) return;
    const HashEntry* bucket = BucketOf(table, key);
    __builtin_prefetch(bucket);
    __builtin_prefetch(bucket + BucketSize - 1);
}

// A node's handle on its entry: where it stores (null: nowhere) and the entry's data as the probe read
// it (the node reads the data there: in a threaded build another thread may change the entry meanwhile).
struct HashProbe {
    HashEntry* Entry = nullptr;
    std::uint64_t Data = 0;
    operator HashEntry*() const { return Entry; }
    HashEntry Found() const { return {0, Data}; }
};

// The entry of this node's position, a freshly claimed entry (data zero), or none when the bucket
// holds only deeper entries of the current game ply.
HashProbe ProbeOrClaim(int whiteToMove, int depth, int ply);

// The data of the first entry that holds a result for the key (its depth not zero), read once; 0 when
// none does. Claims and changes nothing.
std::uint64_t PeekEntry(int whiteToMove, Key key);

// Writes a node's result; a null entry stores nothing. When the entry was taken over by another
// position since the probe, the node's bucket is looked up again by the probe rule.
void StoreEntry(HashEntry* entry, Move move, int depth, int ply, int score, int flags);

}  // namespace zarn

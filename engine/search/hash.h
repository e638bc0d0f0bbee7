// The transposition tables: one for positions with White to move, one for Black to move.
// An entry is two 64-bit words, the full key and the packed data; a bucket is six entries.
#pragma once

#include <cstdint>

#include "engine/board/types.h"
#include "engine/search/remainder.h"

namespace zarn {

// Trivial, and empty when all zeros: a table of fresh zero pages from the system is a cleared table.
struct HashEntry {
    Key KeyWord;
    std::uint64_t Data;
};

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
void ClearTables();
void FreeTables();

// Asks the processor to fetch the bucket of a position ahead of its probe; changes nothing else.
inline void PrefetchBucket(int whiteToMove, Key key) {
    HashEntry* table = whiteToMove ? WhiteTable : BlackTable;
    if (!table) return;
    const HashEntry* bucket = BucketOf(table, key);
    __builtin_prefetch(bucket);
    __builtin_prefetch(bucket + BucketSize - 1);
}

// The entry of this node's position, a freshly claimed entry (data zero), or null when the bucket
// holds only deeper entries of the current game ply.
HashEntry* ProbeOrClaim(int whiteToMove, int depth, int ply);

// Writes a node's result; a null entry stores nothing. When the entry was taken over by another
// position since the probe, the node's bucket is looked up again by the probe rule.
void StoreEntry(HashEntry* entry, Move move, int depth, int ply, int score, int flags);

}  // namespace zarn

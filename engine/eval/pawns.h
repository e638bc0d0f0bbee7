// Pawn structure: the cached per-configuration facts and score, and the terms computed on top of
// them at every evaluation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/board/board.h"
#include "engine/board/types.h"
#include "engine/eval/trace.h"
#include "engine/search/stack.h"
#include "engine/threads/per_thread.h"

namespace zarn {

// What the pawns alone say, computed once per pawn configuration. Files are bit sets (a = bit 0).
struct PawnHashEntry {
    std::uint64_t Key = 0;   // the PawnKey the entry was computed for
    std::int16_t Score = 0;  // pawn structure, White's point of view
    std::uint8_t OpenFiles = 0;  // files without a pawn of either colour
    std::uint8_t WhitePassedFiles = 0;
    std::uint8_t WhiteKingSideShelter = 0;  // files f, g, h
    std::uint8_t WhiteQueenSideShelter = 0;  // files a, b, c
    std::uint8_t WhitePawnsOnLight = 0;
    std::uint8_t WhitePawnsOnDark = 0;
    std::uint8_t BlackPassedFiles = 0;
    std::uint8_t BlackKingSideShelter = 0;
    std::uint8_t BlackQueenSideShelter = 0;
    std::uint8_t BlackPawnsOnLight = 0;
    std::uint8_t BlackPawnsOnDark = 0;
};
static_assert(sizeof(PawnHashEntry) == 24);

inline constexpr std::size_t PawnHashEntries = 200000;

// The table, or null while none is allocated (before start-up, after release, or when the
// allocation failed). Without a table every evaluation computes the structure afresh. Each searching
// thread has a table of its own.
extern ZARN_PER_THREAD PawnHashEntry* PawnHashTable;

// The entry selected by the latest EvaluatePawns; read by the piece terms and KingSafety.
extern ZARN_PER_THREAD const PawnHashEntry* CurrentPawnEntry;

// The allocation function, replaceable so that tests can make the allocation fail; it returns zeroed
// pages of platform::AllocateZeroedPages (an all-zero table is an empty one) or null.
extern void* (*PawnHashAllocate)(std::size_t bytes);

// Asks the processor to fetch the entry of a pawn configuration ahead of its probe; changes nothing else.
inline void PrefetchPawnEntry(Key pawnKey) {
    if (!PawnHashTable) return;
    const PawnHashEntry* entry = PawnHashTable + pawnKey % PawnHashEntries;
    __builtin_prefetch(entry);
    __builtin_prefetch(reinterpret_cast<const char*>(entry) + sizeof(PawnHashEntry) - 1);
}

// Reserves a new, empty table (releasing any previous one); false when the allocation failed.
bool AllocatePawnHash();
void FreePawnHash();
// Zeroes every entry; does nothing without a table.
void ClearPawnHash();

// The pawn term of the position at `ply`: cached structure score plus the blocked and king-supported
// passed pawns and the bare-king race. Selects the current pawn entry.
int EvaluatePawns(int ply);
// Computes the current entry for the pawns on the board and stores it under the key of `ply`.
int ScorePawnStructure(int ply);
// King and pawns against a lone king whose opponent's king stands in front of a pawn: +600, -600 or 0.
int BareKingRace();

// The pieces of the pawn term, for the evaluation breakdown.
// Each side's share of the structure score (their net is the cached Score); fills `entry` except its Key.
SideParts PawnStructureParts(PawnHashEntry& entry);
// Blocked passed pawns and king support, read from the current entry.
SideParts PassedPawnExtras();

// EvaluatePawns written inline, so that the evaluation driver pays no call on a hash hit.
inline int InlineEvaluatePawns(int ply) {
    const Key key = SearchStack[ply].PawnKey;
    const PawnHashEntry* entry = PawnHashTable ? PawnHashTable + key % PawnHashEntries : nullptr;
    int s;
    if (entry && entry->Key == key) {
        CurrentPawnEntry = entry;
        s = entry->Score;
    } else {
        s = ScorePawnStructure(ply);
        entry = CurrentPawnEntry;
    }
    // Without passed pawns the extras are zero.
    if (entry->WhitePassedFiles | entry->BlackPassedFiles) s += PassedPawnExtras().Net();

    if (Sides[White].PieceMaterial == 0 && entry->BlackPassedFiles) return s + BareKingRace();
    if (Sides[Black].PieceMaterial == 0 && entry->WhitePassedFiles) return s + BareKingRace();
    return s;
}

}  // namespace zarn

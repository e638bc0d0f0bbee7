// Pawn structure scoring, its hash table, passed-pawn extras and the bare-king race.
#include "engine/eval/pawns.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>

#include "engine/board/board.h"
#include "engine/board/tables.h"
#include "engine/eval/constants.h"
#include "engine/eval/relative.h"
#include "engine/eval/tables.h"
#include "engine/moves/uint64.h"
#include "engine/search/stack.h"
#include "platform/platform.h"

namespace zarn {

namespace {

constexpr std::size_t PawnHashBytes = PawnHashEntries * sizeof(PawnHashEntry);

// Zero pages from the system, on large pages where it offers them: the probes of the evaluation
// miss the translation buffer far less often.
void* DefaultAllocate(std::size_t bytes) { return platform::AllocateZeroedPages(bytes); }

// Used in place of a table entry while no table exists; always recomputed.
ZARN_PER_THREAD PawnHashEntry scratchEntry;

// The current entry before any evaluation: every fact zero.
constexpr PawnHashEntry NoPawnEntry{};

using namespace relative;

struct SideFacts {
    int score = 0;  // good for the side
    std::uint8_t passedFiles = 0;
    std::uint8_t onLight = 0;
    std::uint8_t onDark = 0;
};

// The size of a set of at most two squares (a pawn's two attack or defence squares).
constexpr int CountOfAtMostTwo(Bitboard b) { return (b != 0) + ((b & (b - 1)) != 0); }

// Placement, isolated, doubled, connected, backward and passed pawns of one side.
template <int Us>
SideFacts ScoreSidePawns(Bitboard own, Bitboard enemy) {
    SideFacts facts;
    for (Bitboard pawns = own; pawns;) {
        const int q = PopFirstBit(pawns);
        const int file = FileOf(q);
        const int rank = Rank<Us>(q);
        int v = SideTables[Us][PawnTable][q];
        if (DarkSquare[q])
            ++facts.onDark;
        else
            ++facts.onLight;

        const Bitboard onFile = own & FileMask[file];
        const bool doubled = (onFile & (onFile - 1)) != 0;
        if (!(own & AdjacentFiles[q])) {
            v -= 6;
            if (doubled) v -= 6;
        }
        if (doubled) v -= 10;

        // A pawn on the last rank (only from a malformed set-up) has no square in front.
        const int front = q + Forward<Us>;
        const bool hasFront = OnBoard(front);
        const Bitboard defenders = own & PawnsDefending<Us>(q);
        const Bitboard neighbours = hasFront ? own & PawnsDefending<Us>(front) : 0;
        const bool connected = defenders || neighbours;
        if (connected) v += ConnectedBonus[rank];

        // Backward: on a file without enemy pawns, undefended, and its advance square is attacked by
        // more enemy pawns than own pawns stand beside it.
        if (!(enemy & FileMask[file]) && !defenders && hasFront) {
            const int support = CountOfAtMostTwo(neighbours);
            const int attackers = CountOfAtMostTwo(enemy & PawnAttacksFrom<Us>(front));
            if (attackers > support) v -= 10;
        }

        if (!(enemy & PassedMask<Us>(q))) {
            v += PassedBonus[rank];
            facts.passedFiles = static_cast<std::uint8_t>(facts.passedFiles | (1u << file));
            // Of a doubled passed pair, the front pawn pays half its bonus.
            if (own & Behind<Us>(q)) v -= PassedBonus[rank] / 2;
            if (connected) v += ProtectedPassedBonus[rank];
        }
        facts.score += v;
    }
    return facts;
}

// The files holding at least one member of a set, as a file set (a = bit 0).
constexpr unsigned FilesOf(Bitboard b) {
    b |= b >> 32;
    b |= b >> 16;
    b |= b >> 8;
    return static_cast<unsigned>(b & 255);
}

// Shelter of one wing by its three files, bit i standing for file first + i (the middle file, g or b,
// is bit 1): files with an own pawn, files with an enemy pawn, own pawns on the second rank and own
// pawns on the third rank, as the side sees the ranks.
constexpr int WingShelter(unsigned ours, unsigned theirs, unsigned second, unsigned third) {
    int open = 0, exposed = 0, semi = 0, defects = 0;
    for (int i = 0; i < 3; ++i) {
        const bool own = (ours >> i) & 1;
        const bool enemy = (theirs >> i) & 1;
        if (!own && !enemy)
            ++open;
        else if (!own)
            ++exposed;
        else if (!enemy)
            ++semi;
        if (own && !((second >> i) & 1)) {
            const bool advanced = (third >> i) & 1;
            if (i == 1)
                defects += advanced ? 2 : 3;
            else
                defects += advanced ? 1 : 2;
        }
    }
    // A pawn chain like g3 with f3 or h3 still covers the king fairly well.
    if (defects > 0 && ((third >> 1) & 1) && (third & 5)) --defects;
    return ShelterOpen[open] + ShelterSemiOpen[exposed] + ShelterSemiOpen[semi] / 2 + ShelterDefects[defects];
}

// WingShelter by the four three-bit sets packed as ours | theirs << 3 | second << 6 | third << 9.
inline constexpr auto WingShelterTable = [] {
    std::array<std::uint8_t, 4096> t{};
    for (unsigned index = 0; index < 4096; ++index)
        t[index] = static_cast<std::uint8_t>(WingShelter(index & 7, (index >> 3) & 7, (index >> 6) & 7, index >> 9));
    return t;
}();

// Shelter of one wing (files first..first+2, the middle one being g or b) for the side Us; ownFiles and
// enemyFiles are the file sets of the two sides' pawns.
template <int Us>
int Shelter(Bitboard own, unsigned ownFiles, unsigned enemyFiles, int first) {
    constexpr int second = Us == White ? 1 : 6;
    constexpr int third = Us == White ? 2 : 5;
    const unsigned index = ((ownFiles >> first) & 7) | (((enemyFiles >> first) & 7) << 3) |
                           ((static_cast<unsigned>(own >> (8 * second + first)) & 7) << 6) |
                           ((static_cast<unsigned>(own >> (8 * third + first)) & 7) << 9);
    return WingShelterTable[index];
}

// Blocked passed pawns and king support for the passed files of Us.
template <int Us>
int PassedExtrasFor(std::uint8_t files) {
    const SideRecord& side = Sides[Us];
    const int king = side.KingSquare;
    int v = 0;
    while (files) {
        const int file = LowestBitOfByte[files];
        files = static_cast<std::uint8_t>(files & (files - 1));
        const Bitboard onFile = side.Pawns & FileMask[file];
        if (!onFile) continue;
        const int p = MostAdvanced<Us>(onFile);
        const int rank = Rank<Us>(p);
        const int front = p + Forward<Us>;
        if (OnBoard(front) && Board[front] != Empty) v -= BlockedPassedPenalty[rank];
        if (FileDistance[p][king] == 1 && rank <= Rank<Us>(king)) v += KingSupportBonus[rank];
    }
    return v;
}

// Whether the king of Us, standing in front of one of its pawns, wins the race against the lone king.
template <int Us>
bool WinsBareKingRace() {
    const int king = Sides[Us].KingSquare;
    const int enemyKing = Sides[1 - Us].KingSquare;
    const int cornerA = Us == White ? A8 : A1;
    const int cornerH = Us == White ? H8 : H1;
    for (Bitboard pawns = Sides[Us].Pawns; pawns;) {
        const int p = PopFirstBit(pawns);
        const int kingRank = Rank<Us>(king);
        const int pawnRank = Rank<Us>(p);
        if (kingRank <= pawnRank) continue;
        if (FileOf(p) == 0 && FileOf(king) == 1) {
            if (Distance[king][cornerA] < Distance[enemyKing][cornerA]) return true;
        } else if (FileOf(p) == 7 && FileOf(king) == 6) {
            if (Distance[king][cornerH] < Distance[enemyKing][cornerH]) return true;
        }
        if (Distance[king][p] < Distance[enemyKing][p] && (kingRank > pawnRank + 1 || kingRank == 5)) return true;
    }
    return false;
}

}  // namespace

ZARN_PER_THREAD PawnHashEntry* PawnHashTable = nullptr;
ZARN_PER_THREAD const PawnHashEntry* CurrentPawnEntry = &NoPawnEntry;
void* (*PawnHashAllocate)(std::size_t bytes) = DefaultAllocate;

bool AllocatePawnHash() {
    FreePawnHash();
    void* block = PawnHashAllocate(PawnHashBytes);
    if (!block) return false;
    // The block comes zeroed: fresh pages, unwritten.
    PawnHashTable = static_cast<PawnHashEntry*>(block);
    return true;
}

void FreePawnHash() {
    platform::FreeZeroedPages(PawnHashTable, PawnHashBytes);
    PawnHashTable = nullptr;
    CurrentPawnEntry = &scratchEntry;
}

void ClearPawnHash() {
    if (!PawnHashTable) return;
    platform::ZeroPages(PawnHashTable, PawnHashBytes);
}

SideParts PawnStructureParts(PawnHashEntry& entry) {
    const Bitboard wp = Sides[White].Pawns;
    const Bitboard bp = Sides[Black].Pawns;
    const SideFacts white = ScoreSidePawns<White>(wp, bp);
    const SideFacts black = ScoreSidePawns<Black>(bp, wp);

    const unsigned whiteFiles = FilesOf(wp);
    const unsigned blackFiles = FilesOf(bp);
    entry.OpenFiles = static_cast<std::uint8_t>(~(whiteFiles | blackFiles) & 255);
    entry.WhitePassedFiles = white.passedFiles;
    entry.WhiteKingSideShelter = static_cast<std::uint8_t>(Shelter<White>(wp, whiteFiles, blackFiles, 5));
    entry.WhiteQueenSideShelter = static_cast<std::uint8_t>(Shelter<White>(wp, whiteFiles, blackFiles, 0));
    entry.WhitePawnsOnLight = white.onLight;
    entry.WhitePawnsOnDark = white.onDark;
    entry.BlackPassedFiles = black.passedFiles;
    entry.BlackKingSideShelter = static_cast<std::uint8_t>(Shelter<Black>(bp, blackFiles, whiteFiles, 5));
    entry.BlackQueenSideShelter = static_cast<std::uint8_t>(Shelter<Black>(bp, blackFiles, whiteFiles, 0));
    entry.BlackPawnsOnLight = black.onLight;
    entry.BlackPawnsOnDark = black.onDark;
    entry.Score = static_cast<std::int16_t>(white.score - black.score);
    return {white.score, black.score};
}

int ScorePawnStructure(int ply) {
    const Key key = SearchStack[ply].PawnKey;
    PawnHashEntry& entry = PawnHashTable ? PawnHashTable[key % PawnHashEntries] : scratchEntry;
    CurrentPawnEntry = &entry;
    entry = PawnHashEntry{};
    const SideParts parts = PawnStructureParts(entry);
    entry.Key = key;
    return parts.Net();
}

SideParts PassedPawnExtras() {
    return {PassedExtrasFor<White>(CurrentPawnEntry->WhitePassedFiles),
            PassedExtrasFor<Black>(CurrentPawnEntry->BlackPassedFiles)};
}

int BareKingRace() {
    const Bitboard wp = Sides[White].Pawns;
    const Bitboard bp = Sides[Black].Pawns;
    if (wp && !bp) return WinsBareKingRace<White>() ? BareKingRaceScore : 0;
    if (bp && !wp) return WinsBareKingRace<Black>() ? -BareKingRaceScore : 0;
    return 0;
}

int EvaluatePawns(int ply) { return InlineEvaluatePawns(ply); }

}  // namespace zarn

// Start-up: every table that depends only on the empty board, the keys and the start position.
#include "engine/board/init.h"

#include <atomic>
#include <cstdlib>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/keys.h"
#include "engine/board/tables.h"
#include "engine/eval/tables.h"
#include "engine/interface/options.h"
#include "engine/search/stack.h"

namespace zarn {
namespace {

constexpr Bitboard Bit(int square) { return Bitboard{1} << square; }

// The three rotated orders: the bit that stands for a square in each occupancy.
constexpr int Rot90Bit(int square) { return 8 * FileOf(square) + (7 - RankOf(square)); }
constexpr int A1H8Bit(int square) { return 8 * ((RankOf(square) - FileOf(square)) & 7) + FileOf(square); }
constexpr int A8H1Bit(int square) { return 8 * ((RankOf(square) + FileOf(square)) & 7) + FileOf(square); }

// One line as seen through its occupancy byte: the square at each position and the positions of
// the segment that holds the square being built for.
struct LineView {
    int squareAt[8];
    int first;
    int last;
    int position;
};

LineView RankLine(int square) {
    LineView line{};
    for (int i = 0; i < 8; ++i) line.squareAt[i] = MakeSquare(i, RankOf(square));
    line.first = 0;
    line.last = 7;
    line.position = FileOf(square);
    return line;
}

LineView FileLine(int square) {
    LineView line{};
    for (int i = 0; i < 8; ++i) line.squareAt[i] = MakeSquare(FileOf(square), 7 - i);
    line.first = 0;
    line.last = 7;
    line.position = 7 - RankOf(square);
    return line;
}

// The byte of an a1-h8 diagonal holds two diagonals: r - f = k (files 0..7-k) and r - f = k - 8.
LineView DiagA1H8Line(int square) {
    LineView line{};
    const int k = (RankOf(square) - FileOf(square)) & 7;
    for (int i = 0; i < 8; ++i) line.squareAt[i] = MakeSquare(i, (i + k) & 7);
    if (FileOf(square) <= 7 - k) {
        line.first = 0;
        line.last = 7 - k;
    } else {
        line.first = 8 - k;
        line.last = 7;
    }
    line.position = FileOf(square);
    return line;
}

// The byte of an a8-h1 diagonal holds r + f = k (files 0..k) and r + f = k + 8 (files k+1..7).
LineView DiagA8H1Line(int square) {
    LineView line{};
    const int k = (RankOf(square) + FileOf(square)) & 7;
    for (int i = 0; i < 8; ++i) line.squareAt[i] = MakeSquare(i, (k - i) & 7);
    if (FileOf(square) <= k) {
        line.first = 0;
        line.last = k;
    } else {
        line.first = k + 1;
        line.last = 7;
    }
    line.position = FileOf(square);
    return line;
}

// Walks from the square's position both ways through its segment, stopping after the first
// occupied position; counts the empty positions passed on the way.
void SlideAlong(const LineView& line, int occupancy, Bitboard& attacks, std::uint32_t& mobility) {
    attacks = 0;
    mobility = 0;
    for (int step : {1, -1}) {
        for (int i = line.position + step; i >= line.first && i <= line.last; i += step) {
            attacks |= Bit(line.squareAt[i]);
            if (occupancy & (1 << i)) break;
            ++mobility;
        }
    }
}

void AddLeaperTargets(Bitboard (&table)[64], const int (&offsets)[8], int reach) {
    for (int s = 0; s < 64; ++s) {
        table[s] = 0;
        for (int offset : offsets) {
            const int t = s + offset;
            if (t < 0 || t > 63) continue;
            if (std::abs(FileOf(t) - FileOf(s)) <= reach && std::abs(RankOf(t) - RankOf(s)) <= reach)
                table[s] |= Bit(t);
        }
    }
}

// The step from a toward b when they share a rank, file or diagonal; 0 otherwise.
int StepToward(int a, int b) {
    const int direction = LineDirectionBetween(a, b);
    if (direction == 8) return 0;
    return 8 * LineDirections[direction].rankStep + LineDirections[direction].fileStep;
}

}  // namespace

void BuildDistanceTables() {
    for (int a = 0; a < 64; ++a) {
        for (int b = 0; b < 64; ++b) {
            const int files = std::abs(FileOf(a) - FileOf(b));
            const int ranks = std::abs(RankOf(a) - RankOf(b));
            FileDistance[a][b] = static_cast<std::uint8_t>(files);
            RankDistance[a][b] = static_cast<std::uint8_t>(ranks);
            Distance[a][b] = static_cast<std::uint8_t>(files > ranks ? files : ranks);
        }
    }
}

void BuildByteTables() {
    LowestBitOfByte[0] = 0;
    for (int byte = 1; byte < 256; ++byte) {
        int index = 0;
        while (!(byte & (1 << index))) ++index;
        LowestBitOfByte[byte] = static_cast<std::uint8_t>(index);
    }
}

void BuildAttackTables() {
    for (int s = 0; s < 64; ++s) {
        SetMask[s] = Bit(s);
        ClearMask[s] = ~SetMask[s];
        SetMaskRot90[s] = Bit(Rot90Bit(s));
        SetMaskA1H8[s] = Bit(A1H8Bit(s));
        SetMaskA8H1[s] = Bit(A8H1Bit(s));
        ClearMaskRot90[s] = ~SetMaskRot90[s];
        ClearMaskA1H8[s] = ~SetMaskA1H8[s];
        ClearMaskA8H1[s] = ~SetMaskA8H1[s];

        RankShift[s] = 8 * RankOf(s);
        FileShift[s] = 8 * FileOf(s);
        DiagA1H8Shift[s] = 8 * ((RankOf(s) - FileOf(s)) & 7);
        DiagA8H1Shift[s] = 8 * ((RankOf(s) + FileOf(s)) & 7);

        const LineView rank = RankLine(s);
        const LineView file = FileLine(s);
        const LineView a1h8 = DiagA1H8Line(s);
        const LineView a8h1 = DiagA8H1Line(s);
        for (int occupancy = 0; occupancy < 256; ++occupancy) {
            std::uint32_t unusedMobility = 0;
            SlideAlong(rank, occupancy, RankAttacks[s][occupancy], unusedMobility);
            SlideAlong(file, occupancy, FileAttacks[s][occupancy], unusedMobility);
            SlideAlong(a1h8, occupancy, DiagA1H8Attacks[s][occupancy], DiagA1H8Mobility[s][occupancy]);
            SlideAlong(a8h1, occupancy, DiagA8H1Attacks[s][occupancy], DiagA8H1Mobility[s][occupancy]);
        }
    }

    static constexpr int knightOffsets[8] = {-17, -15, -10, -6, 6, 10, 15, 17};
    static constexpr int kingOffsets[8] = {-8, -1, 1, 8, -9, -7, 7, 9};
    AddLeaperTargets(KnightAttacks, knightOffsets, 2);
    AddLeaperTargets(KingAttacks, kingOffsets, 1);

    for (int s = 0; s < 64; ++s) {
        WhitePawnAttacks[s] = 0;
        BlackPawnAttacks[s] = 0;
        for (int t : {s + 7, s + 9})
            if (t <= 63 && std::abs(FileOf(t) - FileOf(s)) == 1) WhitePawnAttacks[s] |= Bit(t);
        for (int t : {s - 7, s - 9})
            if (t >= 0 && std::abs(FileOf(t) - FileOf(s)) == 1) BlackPawnAttacks[s] |= Bit(t);
    }
}

void BuildGeometryMasks() {
    for (int i = 0; i < 8; ++i) {
        FileMask[i] = 0;
        RankMask[i] = 0;
    }
    LightSquares = 0;
    DarkSquares = 0;
    for (int s = 0; s < 64; ++s) {
        FileMask[FileOf(s)] |= SetMask[s];
        RankMask[RankOf(s)] |= SetMask[s];
        (DarkSquare[s] ? DarkSquares : LightSquares) |= SetMask[s];
    }
    NotFileA = ~FileMask[0];
    NotFileH = ~FileMask[7];
    QueenSideFiles = FileMask[0] | FileMask[1] | FileMask[2] | FileMask[3];
    KingSideFiles = FileMask[4] | FileMask[5] | FileMask[6] | FileMask[7];
    InnerFiles = ~(FileMask[0] | FileMask[7]);
    RookPawnsRank2 = SetMask[A2] | SetMask[H2];
    RookPawnsRank7 = SetMask[A7] | SetMask[H7];
    CornerA1 = SetMask[A1] | SetMask[C1] | SetMask[B2];
    CornerH1 = SetMask[F1] | SetMask[H1] | SetMask[G2];
    CornerA8 = SetMask[B7] | SetMask[A8] | SetMask[C8];
    CornerH8 = SetMask[G7] | SetMask[F8] | SetMask[H8];

    for (int s = 0; s < 64; ++s) {
        const int file = FileOf(s);
        const int rank = RankOf(s);
        Bitboard neighbours = 0;
        if (file > 0) neighbours |= FileMask[file - 1];
        if (file < 7) neighbours |= FileMask[file + 1];
        Bitboard above = 0;
        Bitboard below = 0;
        for (int r = rank + 1; r < 8; ++r) above |= RankMask[r];
        for (int r = 0; r < rank; ++r) below |= RankMask[r];
        AdjacentFiles[s] = neighbours;
        AdjacentFilesAbove[s] = neighbours & above;
        AdjacentFilesBelow[s] = neighbours & below;
        WhitePassedMask[s] = (neighbours | FileMask[file]) & above;
        BlackPassedMask[s] = (neighbours | FileMask[file]) & below;
    }

    for (int a = 0; a < 64; ++a) {
        for (int b = 0; b < 64; ++b) {
            const int step = StepToward(a, b);
            Direction[a][b] = step;
            Bitboard between = 0;
            if (step != 0)
                for (int t = a + step; t != b; t += step) between |= SetMask[t];
            Between[a][b] = between;
            if (step != 0)
                EvasionMask[a][b] = between | SetMask[b];
            else if (KnightAttacks[a] & SetMask[b])
                EvasionMask[a][b] = SetMask[b];
            else
                EvasionMask[a][b] = 0;
        }
    }
}

namespace {

// Set once the board tables stand; read by a check that may come before any start-up.
std::atomic<bool> boardTablesBuilt{false};

void BuildBoardTables() {
    BuildDistanceTables();
    BuildByteTables();
    BuildAttackTables();
    BuildGeometryMasks();
    boardTablesBuilt.store(true, std::memory_order_release);
}

}  // namespace

void EnsureBoardTables() {
    if (!boardTablesBuilt.load(std::memory_order_acquire)) BuildBoardTables();
}

void InitialiseEngine() {
    BuildBoardTables();
    BuildZobristKeys();

    char startText[sizeof(StartPositionText)];
    for (std::size_t i = 0; i < sizeof(StartPositionText); ++i) startText[i] = StartPositionText[i];
    static FieldBuffer fields;
    SplitFields(startText, fields);
    SetupPosition(fields);

    ResetSearchStack();
    RestoreOptionDefaults();
    PrepareSideTables();
    RebuildDerivedState();
}

}  // namespace zarn

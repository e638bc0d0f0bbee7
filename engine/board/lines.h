// The board's line geometry in one table: the eight directions of the lines through a square and the
// squares a slider reaches along each on the empty board. Every other line table is made from it.
#pragma once

#include <array>

#include "engine/board/types.h"

namespace zarn {

// Ray directions, in this index order.
enum RayIndex : int { RayEast, RayNorthWest, RayNorth, RayNorthEast, RayWest, RaySouthEast, RaySouth, RaySouthWest };

struct LineDirection {
    int fileStep;
    int rankStep;
    bool diagonal;
};

// By RayIndex.
inline constexpr LineDirection LineDirections[8] = {
    {1, 0, false}, {-1, 1, true}, {0, 1, false}, {1, 1, true}, {-1, 0, false}, {1, -1, true}, {0, -1, false}, {-1, -1, true},
};

// The squares from a square (itself excluded) to the edge of the board in each direction:
// Ray[direction][square].
constexpr std::array<std::array<Bitboard, 64>, 8> BuildRays() {
    std::array<std::array<Bitboard, 64>, 8> rays{};
    for (int direction = 0; direction < 8; ++direction) {
        const LineDirection step = LineDirections[direction];
        for (int square = 0; square < 64; ++square) {
            int file = FileOf(square) + step.fileStep;
            int rank = RankOf(square) + step.rankStep;
            while (file >= 0 && file < 8 && rank >= 0 && rank < 8) {
                rays[direction][square] |= Bitboard{1} << MakeSquare(file, rank);
                file += step.fileStep;
                rank += step.rankStep;
            }
        }
    }
    return rays;
}
inline constexpr std::array<std::array<Bitboard, 64>, 8> Ray = BuildRays();

// Every square a bishop (diagonal) or rook (straight) on a square reaches on the empty board: no
// slider outside these lines can attack the square, which spares the occupancy lookups.
constexpr std::array<Bitboard, 64> LinesThrough(bool diagonal) {
    std::array<Bitboard, 64> lines{};
    for (int direction = 0; direction < 8; ++direction)
        if (LineDirections[direction].diagonal == diagonal)
            for (int square = 0; square < 64; ++square) lines[square] |= Ray[direction][square];
    return lines;
}
inline constexpr std::array<Bitboard, 64> DiagonalLines = LinesThrough(true);
inline constexpr std::array<Bitboard, 64> StraightLines = LinesThrough(false);

// The direction of the line from a square through another, 8 when they share none.
constexpr int LineDirectionBetween(int from, int to) {
    for (int direction = 0; direction < 8; ++direction)
        if ((Ray[direction][from] >> to) & 1) return direction;
    return 8;
}

}  // namespace zarn

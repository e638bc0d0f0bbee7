// The bit primitives on sets that straddle the two 32-bit halves of a board.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "engine/moves/uint64.h"

namespace zarn {
namespace {

constexpr Bitboard Squares(std::initializer_list<int> squares) {
    Bitboard set = 0;
    for (int s : squares) set |= Bitboard{1} << s;
    return set;
}

TEST(BitUtilities, PopCountAcrossTheHalves) {
    EXPECT_EQ(PopCount(0), 0);
    EXPECT_EQ(PopCount(~Bitboard{0}), 64);
    EXPECT_EQ(PopCount(Squares({31})), 1);
    EXPECT_EQ(PopCount(Squares({32})), 1);
    EXPECT_EQ(PopCount(Squares({31, 32})), 2);
    EXPECT_EQ(PopCount(Squares({0, 31, 32, 63})), 4);
}

TEST(BitUtilities, FirstBitFindsTheLowestMember) {
    EXPECT_EQ(FirstBit(Squares({40, 63})), 40);
    EXPECT_EQ(FirstBit(Squares({0, 63})), 0);
    EXPECT_EQ(FirstBit(Squares({31, 32})), 31);
    EXPECT_EQ(FirstBit(Squares({32, 33})), 32);
    EXPECT_EQ(FirstBit(0), 64);
}

TEST(BitUtilities, LastBitFindsTheHighestMember) {
    EXPECT_EQ(LastBit(Squares({3, 31})), 31);
    EXPECT_EQ(LastBit(Squares({31, 32})), 32);
    EXPECT_EQ(LastBit(Squares({0, 63})), 63);
    EXPECT_EQ(LastBit(Squares({0})), 0);
    EXPECT_EQ(LastBit(0), 64);
}

TEST(BitUtilities, PopFirstBitVisitsMembersInRisingOrder) {
    Bitboard set = Squares({63, 32, 31, 0});
    std::vector<int> seen;
    while (set) seen.push_back(PopFirstBit(set));
    EXPECT_EQ(seen, (std::vector<int>{0, 31, 32, 63}));
}

}  // namespace
}  // namespace zarn

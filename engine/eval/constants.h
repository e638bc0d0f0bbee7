// Constant tables of the static evaluation other than the eleven piece-square tables that each
// side record copies at start-up.
#pragma once

#include <array>
#include <cstdint>

namespace zarn {

// King attack value by attack points + 8.
inline constexpr std::array<std::int32_t, 128> OffensiveBase = [] {
    std::array<std::int32_t, 128> t{};
    constexpr std::int32_t first[16] = {-25, -25, -20, -20, -15, -15, -10, -5, 0, 2, 5, 10, 12, 16, 20, 25};
    for (int i = 0; i < 16; ++i) t[i] = first[i];
    for (int i = 16; i <= 34; ++i) t[i] = 30 + 5 * (i - 16);
    for (int i = 35; i < 128; ++i) t[i] = 125;
    return t;
}();

// Multiplier of the attack value, in sixteenths, by the defending king's danger.
inline constexpr std::array<std::int32_t, 64> AttackWeight = [] {
    std::array<std::int32_t, 64> t{};
    for (int i = 0; i < 64; ++i) {
        const int extra = i / 2 - 1 > 0 ? i / 2 - 1 : 0;
        t[i] = 16 + extra < 27 ? 16 + extra : 27;
    }
    return t;
}();

// Empty squares a bishop reaches along both diagonals.
inline constexpr std::int32_t BishopMobility[15] = {0, 0, 4, 8, 12, 16, 20, 24, 26, 28, 30, 32, 32, 32, 32};
// By the side's own pawn count.
inline constexpr std::int32_t BishopPairBonus[9] = {20, 20, 20, 20, 20, 20, 20, 15, 8};

// Attack points by king distance, and by file distance to the enemy king (7 when an own pawn blocks).
inline constexpr std::int32_t KnightAttackPoints[8] = {3, 3, 3, 2, 1, 0, 0, 0};
inline constexpr std::int32_t BishopAttackPoints[8] = {3, 3, 3, 2, 1, 0, 0, 0};
inline constexpr std::int32_t RookAttackPoints[8] = {3, 3, 3, 2, 1, 0, 0, 0};
inline constexpr std::int32_t RookFilePoints[8] = {4, 3, 1, 0, 0, 0, 0, 0};
inline constexpr std::int32_t QueenAttackPoints[8] = {4, 4, 4, 2, 1, 0, 0, 0};
inline constexpr std::int32_t QueenFilePoints[8] = {5, 5, 3, 0, 0, 0, 0, 0};

// Pawn structure, by rank index seen from the pawn's own side (0 = first rank).
inline constexpr std::int32_t ConnectedBonus[8] = {0, 2, 3, 5, 8, 10, 15, 0};
inline constexpr std::int32_t PassedBonus[8] = {0, 8, 16, 32, 60, 120, 160, 0};
inline constexpr std::int32_t ProtectedPassedBonus[8] = {0, 0, 0, 12, 24, 48, 100, 0};
inline constexpr std::int32_t BlockedPassedPenalty[8] = {0, 8, 12, 16, 30, 45, 60, 0};
inline constexpr std::int32_t KingSupportBonus[8] = {0, 0, 0, 0, 12, 60, 100, 0};

// King shelter of one wing.
inline constexpr std::int32_t ShelterOpen[4] = {0, 8, 13, 16};
inline constexpr std::int32_t ShelterSemiOpen[4] = {0, 3, 7, 9};
inline constexpr std::int32_t ShelterDefects[8] = {0, 1, 2, 3, 4, 5, 6, 7};

inline constexpr std::int32_t BareKingRaceScore = 600;

// Endings without pawns, indexed by the losing king's square.
inline constexpr std::array<std::int32_t, 64> DarkCornerTable = [] {
    std::array<std::int32_t, 64> t{};
    for (int s = 0; s < 64; ++s) {
        const int v = (s & 7) + (s >> 3) - 7;
        t[s] = 30 + 10 * (v < 0 ? -v : v);
    }
    return t;
}();
inline constexpr std::array<std::int32_t, 64> LightCornerTable = [] {
    std::array<std::int32_t, 64> t{};
    for (int s = 0; s < 64; ++s) {
        const int v = (s & 7) - (s >> 3);
        t[s] = 30 + 10 * (v < 0 ? -v : v);
    }
    return t;
}();
inline constexpr std::int32_t MopUpTable[64] = {
    100, 96, 93, 90, 90, 93, 96, 100,  //
    96,  80, 70, 60, 60, 70, 80, 96,   //
    93,  70, 60, 50, 50, 60, 70, 93,   //
    90,  60, 50, 40, 40, 50, 60, 90,   //
    90,  60, 50, 40, 40, 50, 60, 90,   //
    93,  70, 60, 50, 50, 60, 70, 93,   //
    96,  80, 70, 60, 60, 70, 80, 96,   //
    100, 96, 93, 90, 90, 93, 96, 100,  //
};

}  // namespace zarn

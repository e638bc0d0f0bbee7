// Basic vocabulary of the engine: squares, colours, piece kinds, moves, bitboards.
#pragma once

#include <cstdint>

namespace zarn {

using Bitboard = std::uint64_t;
using Key = std::uint64_t;
using Move = std::uint32_t;

// Colours: White = 1, Black = 0; the other side of s is 1 - s.
inline constexpr int Black = 0;
inline constexpr int White = 1;

// Piece kinds; the mailbox holds +kind for White and -kind for Black.
inline constexpr int Empty = 0;
inline constexpr int Pawn = 1;
inline constexpr int Knight = 2;
inline constexpr int Bishop = 3;
inline constexpr int Rook = 4;
inline constexpr int Queen = 5;
inline constexpr int King = 6;

inline constexpr const char* PieceLetters = "XPNBRQK";

// Squares: 8 * rank + file, a1 = 0 ... h8 = 63.
enum Square : int {
    A1, B1, C1, D1, E1, F1, G1, H1,
    A2, B2, C2, D2, E2, F2, G2, H2,
    A3, B3, C3, D3, E3, F3, G3, H3,
    A4, B4, C4, D4, E4, F4, G4, H4,
    A5, B5, C5, D5, E5, F5, G5, H5,
    A6, B6, C6, D6, E6, F6, G6, H6,
    A7, B7, C7, D7, E7, F7, G7, H7,
    A8, B8, C8, D8, E8, F8, G8, H8,
};

constexpr int FileOf(int square) { return square & 7; }
constexpr int RankOf(int square) { return square >> 3; }
constexpr int MakeSquare(int file, int rank) { return 8 * rank + file; }

// Move layout: from 0-5, to 6-11, moving kind 12-14, captured kind 15-17, promotion kind 18-20.
constexpr Move MakeMoveCode(int from, int to, int kind, int captured = 0, int promotion = 0) {
    return static_cast<Move>(from + 64 * to + 4096 * kind + 32768 * captured + 262144 * promotion);
}
constexpr int MoveFrom(Move m) { return static_cast<int>(m & 63); }
constexpr int MoveTo(Move m) { return static_cast<int>((m >> 6) & 63); }
constexpr int MoveKind(Move m) { return static_cast<int>((m >> 12) & 7); }
constexpr int MoveCaptured(Move m) { return static_cast<int>((m >> 15) & 7); }
constexpr int MovePromotion(Move m) { return static_cast<int>((m >> 18) & 7); }
constexpr int MoveFromTo(Move m) { return static_cast<int>(m & 4095); }

inline constexpr Move WhiteCastleShort = 24964;  // e1g1
inline constexpr Move WhiteCastleLong = 24708;   // e1c1
inline constexpr Move BlackCastleShort = 28604;  // e8g8
inline constexpr Move BlackCastleLong = 28348;   // e8c8

// Scores and depths. A side mated at ply p scores p - MateScore.
inline constexpr int MateScore = 30000;
// A score above MateScoreBound or below -MateScoreBound is a mate score: the transposition table
// counts it from the node that stores it, and quiescence stands on a mate already found.
inline constexpr int MateScoreBound = 29000;
inline constexpr int OnePly = 60;

}  // namespace zarn

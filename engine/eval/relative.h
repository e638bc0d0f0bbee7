// Colour-relative geometry for evaluation terms written once for both colours: Us is the side
// whose term is computed, and every square, rank and direction is seen from its side of the board.
#pragma once

#include "engine/board/board.h"
#include "engine/board/tables.h"
#include "engine/board/types.h"
#include "engine/moves/uint64.h"

namespace zarn::relative {

template <int Us>
inline constexpr int Them = 1 - Us;

// One step toward the enemy's side.
template <int Us>
inline constexpr int Forward = Us == White ? 8 : -8;

// The square as Us sees it: White's squares unchanged, Black's with the ranks reversed.
template <int Us>
constexpr int Square(int whiteSquare) {
    return Us == White ? whiteSquare : whiteSquare ^ 56;
}

template <int Us>
constexpr int Rank(int square) {
    return Us == White ? RankOf(square) : 7 - RankOf(square);
}

// Mailbox codes of a piece kind of Us and of its opponent.
template <int Us>
constexpr int Own(int kind) {
    return Us == White ? kind : -kind;
}
template <int Us>
constexpr int Enemy(int kind) {
    return Us == White ? -kind : kind;
}

constexpr bool OnBoard(int square) { return square >= 0 && square < 64; }

// Squares from which a pawn of Us attacks `square`.
template <int Us>
inline Bitboard PawnsDefending(int square) {
    return Us == White ? BlackPawnAttacks[square] : WhitePawnAttacks[square];
}

// Squares a pawn of Us on `square` attacks.
template <int Us>
inline Bitboard PawnAttacksFrom(int square) {
    return Us == White ? WhitePawnAttacks[square] : BlackPawnAttacks[square];
}

template <int Us>
inline Bitboard PassedMask(int square) {
    return Us == White ? WhitePassedMask[square] : BlackPassedMask[square];
}

// Neighbour files on the ranks ahead of `square`: where enemy pawns could still come to attack it.
template <int Us>
inline Bitboard AdjacentFilesAhead(int square) {
    return Us == White ? AdjacentFilesAbove[square] : AdjacentFilesBelow[square];
}

// The squares ahead of and behind `square` on its file.
template <int Us>
inline Bitboard Ahead(int square) {
    return Us == White ? Ray[RayNorth][square] : Ray[RaySouth][square];
}
template <int Us>
inline Bitboard Behind(int square) {
    return Us == White ? Ray[RaySouth][square] : Ray[RayNorth][square];
}

// The most advanced of a set of pawns of Us.
template <int Us>
inline int MostAdvanced(Bitboard pawns) {
    return Us == White ? LastBit(pawns) : FirstBit(pawns);
}

}  // namespace zarn::relative

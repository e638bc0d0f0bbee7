// Attack queries on the current position: who attacks a square, check, pins, and the static
// exchange on one square. The hot queries are inline templates on the colour; the named White and
// Black versions are thin aliases.
#pragma once

#include <array>

#include "engine/board/board.h"
#include "engine/board/piece_values.h"
#include "engine/board/tables.h"
#include "engine/moves/sliders.h"
#include "engine/moves/uint64.h"

namespace zarn {

// Signed mailbox code of a piece of the given colour.
constexpr int PieceCode(int side, int kind) { return side == White ? kind : -kind; }

// Squares attacked by a pawn of the given colour standing on a square.
template <int Side>
inline const Bitboard* PawnAttacksOf() {
    return Side == White ? WhitePawnAttacks : BlackPawnAttacks;
}

// The king of a side as a set; empty when the mailbox does not hold that king on its recorded square
// (a position set up without a king).
template <int Side>
inline Bitboard KingSetOf() {
    const int square = Sides[Side].KingSquare;
    return static_cast<Bitboard>(Board[square] == PieceCode(Side, King)) << square;
}

// 1 when a piece of colour By attacks the square. Cheapest kinds first; the first hit answers.
// The real occupancy is used: a king standing on a slider's line hides the squares behind itself.
template <int By>
inline int AttackedBy(int square) {
    const SideRecord& by = Sides[By];
    // A pawn of By attacks the square when it stands where a pawn of the other colour on the square
    // would attack.
    if (PawnAttacksOf<1 - By>()[square] & by.Pawns) return 1;
    if (KnightAttacks[square] & by.Knights) return 1;
    const Bitboard diagonal = (by.Bishops | by.Queens) & DiagonalLines[square];
    if (diagonal && (BishopAttacksOf(square) & diagonal)) return 1;
    const Bitboard straight = (by.Rooks | by.Queens) & StraightLines[square];
    if (straight && (RookAttacksOf(square) & straight)) return 1;
    const int king = by.KingSquare;
    return static_cast<int>((KingAttacks[square] >> king) & 1) & (Board[king] == PieceCode(By, King));
}

inline int AttackedByWhite(int square) { return AttackedBy<White>(square); }
inline int AttackedByBlack(int square) { return AttackedBy<Black>(square); }

// 1 when the side's king stands attacked by the other side.
template <int Side>
inline int InCheckOf() {
    return AttackedBy<1 - Side>(Sides[Side].KingSquare);
}
inline int InCheck(int side) { return side == White ? InCheckOf<White>() : InCheckOf<Black>(); }

// The pieces of one colour that attack the square.
template <int By>
inline Bitboard AttackersOfSide(int square) {
    const SideRecord& by = Sides[By];
    return (PawnAttacksOf<1 - By>()[square] & by.Pawns) | (KnightAttacks[square] & by.Knights) |
           (BishopAttacksOf(square) & (by.Bishops | by.Queens)) |
           (RookAttacksOf(square) & (by.Rooks | by.Queens)) | (KingAttacks[square] & KingSetOf<By>());
}
inline Bitboard WhiteAttackersOf(int square) { return AttackersOfSide<White>(square); }
inline Bitboard BlackAttackersOf(int square) { return AttackersOfSide<Black>(square); }
inline Bitboard AttackersOf(int square) { return AttackersOfSide<White>(square) | AttackersOfSide<Black>(square); }

// Slider attacks of a square along the line of a step (+-1 rank, +-8 file, +-9 and +-7 diagonals);
// empty for any other step.
inline Bitboard LineAttacksOf(int square, int step) {
    switch (step) {
        case 1: case -1: return RankAttacksOf(square);
        case 8: case -8: return FileAttacksOf(square);
        case 9: case -9: return DiagA1H8AttacksOf(square);
        case 7: case -7: return DiagA8H1AttacksOf(square);
        default: return 0;
    }
}

// 1 when the piece of colour Side on the square is pinned to its own king by an enemy slider: the
// line lookup from the square reaches the king on one side and a slider of that line on the other.
template <int Side>
inline int PinnedToKing(int square) {
    const int king = Sides[Side].KingSquare;
    const int step = Direction[square][king];
    if (step == 0) return 0;
    const SideRecord& enemy = Sides[1 - Side];
    const Bitboard line = LineAttacksOf(square, step);
    if (!(line & SetMask[king])) return 0;
    const bool straight = step == 1 || step == -1 || step == 8 || step == -8;
    const Bitboard sliders = enemy.Queens | (straight ? enemy.Rooks : enemy.Bishops);
    return (line & sliders) != 0;
}
inline int PinnedToWhiteKing(int square) { return PinnedToKing<White>(square); }
inline int PinnedToBlackKing(int square) { return PinnedToKing<Black>(square); }

// The attacker set with the slider of either colour added that stands first past the square on the
// line from the target through it, when its kind moves along that line (found on the board as it
// stands). Unchanged when the two squares share no line.
Bitboard AddXrayAttackers(int target, int square, Bitboard attackers);

// Material balance, for the capturing side, of the exchange that the capture from -> to starts on
// the to-square, every attacker of either colour joining cheapest first.
template <int Side>
int StaticExchangeOf(int from, int to);
inline int StaticExchange(int side, int from, int to) {
    return side == White ? StaticExchangeOf<White>(from, to) : StaticExchangeOf<Black>(from, to);
}

}  // namespace zarn

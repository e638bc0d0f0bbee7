// The piece terms of the evaluation, each written once for both colours: the value returned is
// good for Us, and each term adds to Us's attack points about the enemy king.
#pragma once

#include "engine/eval/trace.h"

namespace zarn {

template <int Us>
int KnightTerm();
template <int Us>
int BishopTerm(bool endgame);
template <int Us>
int RookTerm();
template <int Us>
int QueenTerm();

// What each side's attack on the enemy king is worth, weighed by that king's danger.
int KingAttackWhite();
int KingAttackBlack();

// Every piece term of both sides and then the king attack term, in the evaluation's order, in one
// call so that the terms share their loads; each side's attack points are left as the terms set them.
struct PieceTermParts {
    SideParts knights, bishops, rooks, queens, attack;
    constexpr int Net() const { return knights.Net() + bishops.Net() + rooks.Net() + queens.Net() + attack.Net(); }
};
PieceTermParts PieceTerms(bool endgame);
// Their net sum alone: the same terms, returned in a register.
int PieceTermsNet(bool endgame);

}  // namespace zarn

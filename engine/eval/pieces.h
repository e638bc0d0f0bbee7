// The piece terms of the evaluation, each written once for both colours: the value returned is
// good for Us, and each term adds to Us's attack points about the enemy king.
#pragma once

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

}  // namespace zarn

// Static exchange on one square, x-ray attackers included.
#include "engine/moves/attacks.h"

#include <cstdlib>

namespace zarn {
namespace {

// Ray table index of a step, or -1 for a value that is no step.
constexpr int RayOfStep(int step) {
    switch (step) {
        case 1: return RayEast;
        case 7: return RayNorthWest;
        case 8: return RayNorth;
        case 9: return RayNorthEast;
        case -1: return RayWest;
        case -7: return RaySouthEast;
        case -8: return RaySouth;
        case -9: return RaySouthWest;
        default: return -1;
    }
}

// The cheapest attacker of one colour in the set, as a square; -1 when the colour has none left.
template <int Side>
int CheapestAttacker(Bitboard attackers) {
    const SideRecord& side = Sides[Side];
    for (const Bitboard kind : {side.Pawns, side.Knights, side.Bishops, side.Rooks, side.Queens})
        if (const Bitboard found = attackers & kind) return FirstBit(found);
    if (attackers & KingSetOf<Side>()) return side.KingSquare;
    return -1;
}

int CheapestAttacker(int side, Bitboard attackers) {
    return side == White ? CheapestAttacker<White>(attackers) : CheapestAttacker<Black>(attackers);
}

}  // namespace

Bitboard AddXrayAttackers(int square, int step, Bitboard attackers) {
    const int ray = RayOfStep(step);
    if (ray < 0) return attackers;
    const bool straight = step == 1 || step == -1 || step == 8 || step == -8;
    const Bitboard sliders = Sides[White].Queens | Sides[Black].Queens |
                             (straight ? Sides[White].Rooks | Sides[Black].Rooks
                                       : Sides[White].Bishops | Sides[Black].Bishops);
    return attackers | (LineAttacksOf(square, step) & sliders & Ray[ray][square]);
}

int StaticExchange(int side, int from, int to) {
    // Every piece on the board can take part at most once, plus the piece that stands on the target
    // at the start: 64 entries cover even a crowded position set up by hand.
    int gain[64];
    Bitboard attackers = AttackersOf(to) & ClearMask[from];
    if (const int step = Direction[to][from]) attackers = AddXrayAttackers(from, step, attackers);

    gain[0] = PieceValue[std::abs(Board[to])];
    int standing = PieceValue[std::abs(Board[from])];
    int n = 1;
    int mover = 1 - side;
    while (attackers && n < 64) {
        const int square = CheapestAttacker(mover, attackers);
        if (square < 0) break;
        gain[n] = standing - gain[n - 1];
        standing = PieceValue[std::abs(Board[square])];
        attackers &= ClearMask[square];
        if (const int step = Direction[to][square]) attackers = AddXrayAttackers(square, step, attackers);
        ++n;
        mover = 1 - mover;
    }
    for (int k = n - 1; k >= 1; --k)
        if (gain[k] > -gain[k - 1]) gain[k - 1] = -gain[k];
    return gain[0];
}

}  // namespace zarn

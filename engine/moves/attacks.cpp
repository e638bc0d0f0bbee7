// Static exchange on one square, x-ray attackers included.
#include "engine/moves/attacks.h"

#include <cstdint>
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

// The squares that lie past a square on the line from a target through it, for the exchange's
// x-ray rule. Kept small: a byte per square pair names the direction, one set per direction and
// square holds the squares past it; direction 8 (no common line) has none.
struct PastTables {
    std::uint8_t direction[64][64]{};
    Bitboard past[9][64]{};
};

constexpr PastTables BuildPastTables() {
    constexpr int fileSteps[8] = {1, -1, 0, 0, 1, -1, 1, -1};
    constexpr int rankSteps[8] = {0, 0, 1, -1, 1, -1, -1, 1};
    PastTables tables;
    for (int target = 0; target < 64; ++target)
        for (int square = 0; square < 64; ++square) tables.direction[target][square] = 8;
    for (int d = 0; d < 8; ++d) {
        for (int square = 0; square < 64; ++square) {
            int file = FileOf(square) + fileSteps[d];
            int rank = RankOf(square) + rankSteps[d];
            while (file >= 0 && file < 8 && rank >= 0 && rank < 8) {
                tables.past[d][square] |= Bitboard{1} << (8 * rank + file);
                file += fileSteps[d];
                rank += rankSteps[d];
            }
        }
    }
    // The direction that leads on from a square away from the target is the one from the target
    // to the square.
    for (int d = 0; d < 8; ++d) {
        for (int target = 0; target < 64; ++target) {
            int file = FileOf(target) + fileSteps[d];
            int rank = RankOf(target) + rankSteps[d];
            while (file >= 0 && file < 8 && rank >= 0 && rank < 8) {
                tables.direction[target][8 * rank + file] = static_cast<std::uint8_t>(d);
                file += fileSteps[d];
                rank += rankSteps[d];
            }
        }
    }
    return tables;
}
inline constexpr PastTables Past = BuildPastTables();

// One capture of the exchange by the colour Mover: its cheapest attacker takes on the target, which
// records the gain of the capture, makes that attacker the piece standing there and opens the line
// behind it. False when Mover has no attacker left.
struct Exchange {
    int to;
    Bitboard attackers;
    Bitboard occupied;
    Bitboard xraySliders;  // sliders on a line through the target that fits their kind
    int standing;          // value of the piece on the target
    int n = 1;
    int gain[64];

    // The slider, of either colour, that stands first past the square on the line from the target
    // joins the attackers.
    void OpenLineBehind(int square) {
        const Bitboard past = Past.past[Past.direction[to][square]][square];
        if (!(past & xraySliders)) return;
        const Bitboard blockers = past & occupied;
        const Bitboard nearest =
            square > to ? blockers & (0 - blockers) : Bitboard{1} << (63 - std::countl_zero(blockers));
        attackers |= nearest & xraySliders;
    }

    template <int Mover>
    bool Capture() {
        const SideRecord& side = Sides[Mover];
        const Bitboard own = attackers & side.Occupied;
        if (!own || n >= 64) return false;
        int square;
        int value;
        if (const Bitboard found = own & side.Pawns) square = FirstBit(found), value = PieceValue[Pawn];
        else if (const Bitboard found = own & side.Knights) square = FirstBit(found), value = PieceValue[Knight];
        else if (const Bitboard found = own & side.Bishops) square = FirstBit(found), value = PieceValue[Bishop];
        else if (const Bitboard found = own & side.Rooks) square = FirstBit(found), value = PieceValue[Rook];
        else if (const Bitboard found = own & side.Queens) square = FirstBit(found), value = PieceValue[Queen];
        else square = side.KingSquare, value = PieceValue[King];  // the king is all that is left
        gain[n] = standing - gain[n - 1];
        standing = value;
        attackers &= ClearMask[square];
        OpenLineBehind(square);
        ++n;
        return true;
    }
};

template <int Side>
int StaticExchangeOf(int from, int to) {
    constexpr int Them = 1 - Side;
    const SideRecord& white = Sides[White];
    const SideRecord& black = Sides[Black];
    const Bitboard queens = white.Queens | black.Queens;
    const Bitboard diagonal = white.Bishops | black.Bishops | queens;
    const Bitboard straight = white.Rooks | black.Rooks | queens;

    Exchange x;
    x.to = to;
    x.occupied = white.Occupied | black.Occupied;
    const Bitboard diagonalSliders = diagonal & DiagonalLines[to];
    const Bitboard straightSliders = straight & StraightLines[to];
    x.xraySliders = diagonalSliders | straightSliders;
    Bitboard attackers = (BlackPawnAttacks[to] & white.Pawns) | (WhitePawnAttacks[to] & black.Pawns) |
                         (KnightAttacks[to] & (white.Knights | black.Knights)) |
                         (KingAttacks[to] & (KingSetOf<White>() | KingSetOf<Black>()));
    if (diagonalSliders) attackers |= BishopAttacksOf(to) & diagonalSliders;
    if (straightSliders) attackers |= RookAttacksOf(to) & straightSliders;
    x.attackers = attackers & ClearMask[from];
    x.OpenLineBehind(from);

    x.gain[0] = PieceValue[std::abs(Board[to])];
    x.standing = PieceValue[std::abs(Board[from])];
    while (x.Capture<Them>() && x.Capture<Side>()) {
    }
    int* gain = x.gain;
    for (int k = x.n - 1; k >= 1; --k)
        if (gain[k] > -gain[k - 1]) gain[k - 1] = -gain[k];
    return gain[0];
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
    return side == White ? StaticExchangeOf<White>(from, to) : StaticExchangeOf<Black>(from, to);
}

}  // namespace zarn

// Static exchange on one square, x-ray attackers included.
#include "engine/moves/attacks.h"

#include <atomic>
#include <cstdint>

namespace zarn {
namespace {

// The squares that lie past a square on the line from a target through it, for the exchange's
// x-ray rule. Kept small: a byte per square pair names the direction, one set per direction and
// square holds the squares past it (the rays of lines.h); direction 8 (no common line) has none.
struct PastTables {
    std::uint8_t direction[64][64]{};
    Bitboard past[9][64]{};
};

constexpr PastTables BuildPastTables() {
    PastTables tables;
    for (int d = 0; d < 8; ++d)
        for (int square = 0; square < 64; ++square) tables.past[d][square] = Ray[d][square];
    // The direction that leads on from a square away from the target is the one from the target
    // to the square.
    for (int target = 0; target < 64; ++target)
        for (int square = 0; square < 64; ++square)
            tables.direction[target][square] = static_cast<std::uint8_t>(LineDirectionBetween(target, square));
    return tables;
}
inline constexpr PastTables Past = BuildPastTables();

// Exchange value of the piece with a signed mailbox code (-King .. King), either colour.
constexpr int CodeValue[2 * King + 1] = {PieceValue[6], PieceValue[5], PieceValue[4], PieceValue[3], PieceValue[2],
                                         PieceValue[1], PieceValue[0], PieceValue[1], PieceValue[2], PieceValue[3],
                                         PieceValue[4], PieceValue[5], PieceValue[6]};
inline int ValueOn(int square) { return CodeValue[Board[square] + King]; }

// The lines through one target square during its exchange.
struct TargetLines {
    int to;
    Bitboard occupied;
    Bitboard sliders;  // sliders behind others on a line through the target that fits their kind

    // The attackers with the slider, of either colour, added that stands first past the square on
    // the line from the target, found on the board as it stands.
    Bitboard OpenBehind(int square, Bitboard attackers) const {
        if (!sliders) return attackers;
        const Bitboard past = Past.past[Past.direction[to][square]][square];
        if (!(past & sliders)) return attackers;
        const Bitboard blockers = past & occupied;
        const Bitboard nearest =
            square > to ? blockers & (0 - blockers) : Bitboard{1} << (63 - std::countl_zero(blockers));
        return attackers | (nearest & sliders);
    }
};

// The cheapest attacker of colour Mover in the set, its square and value; false when it has none.
template <int Mover>
inline bool CheapestAttacker(Bitboard attackers, int& square, int& value) {
    const SideRecord& side = Sides[Mover];
    const Bitboard own = attackers & side.Occupied;
    if (!own) return false;
    if (const Bitboard found = own & side.Pawns) square = FirstBit(found), value = PieceValue[Pawn];
    else if (const Bitboard found = own & side.Knights) square = FirstBit(found), value = PieceValue[Knight];
    else if (const Bitboard found = own & side.Bishops) square = FirstBit(found), value = PieceValue[Bishop];
    else if (const Bitboard found = own & side.Rooks) square = FirstBit(found), value = PieceValue[Rook];
    else if (const Bitboard found = own & side.Queens) square = FirstBit(found), value = PieceValue[Queen];
    else square = side.KingSquare, value = PieceValue[King];  // no other piece of Mover is left: its king
    return true;
}

}  // namespace

// The exchange as a search with a window: the captures alternate, each side may stop instead of
// recapturing, and a capture whose gain already settles the value ends it. This gives the value of
// the list of gains folded from its end, without the list.
template <int Side>
int StaticExchangeOf(int from, int to) {
    constexpr int Them = 1 - Side;
    const SideRecord& white = Sides[White];
    const SideRecord& black = Sides[Black];
    const Bitboard queens = white.Queens | black.Queens;
    const Bitboard diagonal = white.Bishops | black.Bishops | queens;
    const Bitboard straight = white.Rooks | black.Rooks | queens;
    const Bitboard diagonalSliders = diagonal & DiagonalLines[to];
    const Bitboard straightSliders = straight & StraightLines[to];
    TargetLines lines{to, white.Occupied | black.Occupied, diagonalSliders | straightSliders};

    Bitboard attackers = (BlackPawnAttacks[to] & white.Pawns) | (WhitePawnAttacks[to] & black.Pawns) |
                         (KnightAttacks[to] & (white.Knights | black.Knights));
    if (diagonalSliders) attackers |= BishopAttacksOf(to) & diagonalSliders;
    if (straightSliders) attackers |= RookAttacksOf(to) & straightSliders;
    if (KingAttacks[to] & (SetMask[white.KingSquare] | SetMask[black.KingSquare]))
        attackers |= KingAttacks[to] & (KingSetOf<White>() | KingSetOf<Black>());
    // A slider that joins later stands behind another piece: it cannot be a direct attacker.
    lines.sliders &= ~attackers;
    attackers = lines.OpenBehind(from, attackers & ClearMask[from]);
    // The loop reads the piece sets afresh: a compiler that kept all ten from the lines above would
    // park them on the stack, which costs more than the reads.
    std::atomic_signal_fence(std::memory_order_seq_cst);

    // gain: what the last capture won for its side if the other side stops there; the value lies in
    // [lower, upper] for the side that started.
    int gain = ValueOn(to);
    int standing = ValueOn(from);
    int lower = -(1 << 30);
    int upper = gain;
    int square = 0;
    int value = 0;
    // A board holds at most 62 pieces besides the two of the first capture: the bound only makes
    // the end certain.
    for (int pairs = 0; pairs < 32; ++pairs) {
        if (!CheapestAttacker<Them>(attackers, square, value)) return upper;
        gain = standing - gain;
        standing = value;
        if (-gain >= upper) return upper;
        if (-gain > lower) lower = -gain;
        attackers = lines.OpenBehind(square, attackers & ClearMask[square]);

        if (!CheapestAttacker<Side>(attackers, square, value)) return lower;
        gain = standing - gain;
        standing = value;
        if (gain <= lower) return lower;
        if (gain < upper) upper = gain;
        attackers = lines.OpenBehind(square, attackers & ClearMask[square]);
    }
    return upper;
}

template int StaticExchangeOf<White>(int, int);
template int StaticExchangeOf<Black>(int, int);

Bitboard AddXrayAttackers(int target, int square, Bitboard attackers) {
    const SideRecord& white = Sides[White];
    const SideRecord& black = Sides[Black];
    const Bitboard queens = white.Queens | black.Queens;
    const Bitboard sliders = ((white.Bishops | black.Bishops | queens) & DiagonalLines[target]) |
                             ((white.Rooks | black.Rooks | queens) & StraightLines[target]);
    return TargetLines{target, white.Occupied | black.Occupied, sliders}.OpenBehind(square, attackers);
}

}  // namespace zarn

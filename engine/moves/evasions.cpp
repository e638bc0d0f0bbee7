// The check evasion generator: captures of the checker, blocks, and king steps out of the line.
#include "engine/moves/emit.h"
#include "engine/moves/moves.h"

namespace zarn {

using namespace movegen;

// Moves of every unpinned piece of one kind onto the targets (the checker's square or a square
// between it and the king).
template <int Side, int Kind>
static void AddUnpinnedMoves(MoveWriter& out, Bitboard pieces, Bitboard targets) {
    while (pieces) {
        const int from = PopFirstBit(pieces);
        if (PinnedToKing<Side>(from)) continue;
        AddCaptures(out, MoveBase(from, Kind), PieceAttacks<Kind>(from) & targets);
    }
}

// Pawn moves onto the targets from Delta squares behind, each skipped when the pawn is pinned;
// onto the last rank one move for each promotion kind.
template <int Side, int Delta>
static void AddUnpinnedPawnMoves(MoveWriter& out, Bitboard targets) {
    using P = Pawns<Side>;
    while (targets) {
        const int to = PopFirstBit(targets);
        const int from = to - Delta;
        if (PinnedToKing<Side>(from)) continue;
        const int captured = KindOn(to);
        if (SetMask[to] & P::LastRank)
            AddPromotions<Queen, Rook, Bishop, Knight>(out, from, to, captured);
        else if (Delta == P::Up || Delta == 2 * P::Up)
            out.Add(MoveBase(from, Pawn) | ToBits(to));
        else
            out.Add(MoveBase(from, Pawn) | ToBits(to) | CapturedBits(captured ? captured : Pawn));
    }
}

// King steps to squares that are neither own pieces nor attacked, nor further along a checking line:
// the square behind the king on a slider's line is attacked through the king itself, which the
// attack test cannot see while the king still stands there.
template <int Side>
static void AddKingEscapes(MoveWriter& out, int king, Bitboard checkers) {
    constexpr int Them = 1 - Side;
    Bitboard targets = KingAttacks[king] & ~Sides[Side].Occupied;
    while (checkers) {
        const int checker = PopFirstBit(checkers);
        if (KindOn(checker) == Pawn) continue;
        if (const int step = Direction[checker][king]) {
            const int behind = king + step;
            if (behind >= 0 && behind < 64 && Direction[king][behind] == step) targets &= ClearMask[behind];
        }
    }
    while (targets) {
        const int to = PopFirstBit(targets);
        if (!AttackedBy<Them>(to)) out.Add(MoveBase(king, King) | ToBits(to) | CapturedBits(KindOn(to)));
    }
}

template <int Side>
void GenerateEvasions(int ply) {
    using P = Pawns<Side>;
    const SideRecord& us = Sides[Side];
    const int king = us.KingSquare;
    MoveWriter out{MoveStart(ply)};
    const Bitboard checkers = KingSetOf<Side>() ? AttackersOfSide<P::Them>(king) : 0;

    if (checkers && !(checkers & (checkers - 1))) {
        const int checker = FirstBit(checkers);
        const Bitboard targets = EvasionMask[king][checker];
        AddUnpinnedMoves<Side, Knight>(out, us.Knights, targets);
        AddUnpinnedMoves<Side, Bishop>(out, us.Bishops, targets);
        AddUnpinnedMoves<Side, Rook>(out, us.Rooks, targets);
        AddUnpinnedMoves<Side, Queen>(out, us.Queens, targets);
        AddKingEscapes<Side>(out, king, checkers);

        const Bitboard enemy = Sides[P::Them].Occupied;
        const Bitboard empty = ~(us.Occupied | enemy);
        const Bitboard single = Shift<P::Up>(us.Pawns) & empty;
        AddUnpinnedPawnMoves<Side, P::Up>(out, single & targets);
        AddUnpinnedPawnMoves<Side, 2 * P::Up>(out, Shift<P::Up>(single & P::DoubleStepRank) & empty & targets);
        // En passant answers a check only by taking the pawn that has just stepped twice and checks.
        Bitboard prey = enemy & targets;
        if (const Bitboard ep = EpTargetOf<Side>(ply); ep && (Shift<-P::Up>(ep) & checkers)) prey |= ep;
        AddUnpinnedPawnMoves<Side, P::TowardA>(out, Shift<P::TowardA>(us.Pawns & ~FileABits) & prey);
        AddUnpinnedPawnMoves<Side, P::TowardH>(out, Shift<P::TowardH>(us.Pawns & ~FileHBits) & prey);
    } else if (checkers) {
        AddKingEscapes<Side>(out, king, checkers);
    }

    SearchStack[ply].MoveEnd = out.end;
}

template void GenerateEvasions<White>(int);
template void GenerateEvasions<Black>(int);

void GenerateEvasionsWhite(int ply) { GenerateEvasions<White>(ply); }
void GenerateEvasionsBlack(int ply) { GenerateEvasions<Black>(ply); }

}  // namespace zarn

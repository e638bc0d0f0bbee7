// The legal moves of a position straight from check and pin information, for leaf counting: no move
// is made to test it (but for the rare en-passant capture). Counts the moves in bulk, or writes them.
// It assumes a regular position: one king of each colour on its recorded square, no pawn on a back
// rank, and the side not to move not in check. Internal to engine/moves.
#pragma once

#include <cstdint>

#include "engine/moves/emit.h"
#include "engine/moves/make_steps.h"
#include "engine/moves/undo_steps.h"

namespace zarn::movegen {

// What restricts the moves of the side to move: its checkers, its pinned pieces and the line each of
// them may still move along, and the squares a move other than the king's must go to.
struct PinsAndChecks {
    Bitboard checkers = 0;
    Bitboard pinned = 0;
    Bitboard targets = 0;  // all but own pieces; in check the checker and the squares between
    Bitboard pinLine[64];  // valid for the squares of pinned only
};

template <int Side>
inline void FindPinsAndChecks(PinsAndChecks& info) {
    constexpr int Them = 1 - Side;
    const SideRecord& us = Sides[Side];
    const SideRecord& them = Sides[Them];
    const int king = us.KingSquare;
    const Bitboard occupied = us.Occupied | them.Occupied;
    info.checkers = AttackersOfSide<Them>(king);
    info.pinned = 0;
    // Enemy sliders on the king's empty-board lines; one own piece alone between pins it.
    Bitboard snipers = ((them.Bishops | them.Queens) & DiagonalLines[king]) |
                       ((them.Rooks | them.Queens) & StraightLines[king]);
    while (snipers) {
        const int sniper = PopFirstBit(snipers);
        const Bitboard between = Between[king][sniper] & occupied;
        if (between && !(between & (between - 1)) && (between & us.Occupied)) {
            info.pinned |= between;
            info.pinLine[FirstBit(between)] = Between[king][sniper] | SetMask[sniper];
        }
    }
    if (!info.checkers)
        info.targets = ~us.Occupied;
    else if (!(info.checkers & (info.checkers - 1)))
        info.targets = Between[king][FirstBit(info.checkers)] | info.checkers;
    else
        info.targets = 0;  // double check: the king alone moves
}

// Squares next to the king that the king may go to: not own, not attacked. A checking slider's line
// goes on through the king's square, so the square behind the king on that line is attacked too.
template <int Side>
inline Bitboard KingDestinations(const PinsAndChecks& info) {
    constexpr int Them = 1 - Side;
    const SideRecord& them = Sides[Them];
    const int king = Sides[Side].KingSquare;
    Bitboard candidates = KingAttacks[king] & ~Sides[Side].Occupied;
    Bitboard sliders = info.checkers & (them.Bishops | them.Rooks | them.Queens);
    while (sliders) {
        const int checker = PopFirstBit(sliders);
        const int step = Direction[checker][king];
        const int behind = king + step;
        if (behind >= 0 && behind < 64 && Direction[king][behind] == step) candidates &= ~SetMask[behind];
    }
    Bitboard destinations = 0;
    while (candidates) {
        const int to = PopFirstBit(candidates);
        if (!AttackedBy<Them>(to)) destinations |= SetMask[to];
    }
    return destinations;
}

// Adds every legal move of the side at the ply to out when Emit, else only counts them; returns the
// number of moves.
template <int Side, bool Emit>
inline int LegalMovesOf(int ply, MoveWriter& out) {
    using P = Pawns<Side>;
    constexpr int Them = 1 - Side;
    constexpr int Up = P::Up;
    const SideRecord& us = Sides[Side];
    const SideRecord& them = Sides[Them];
    const int king = us.KingSquare;
    const Bitboard empty = ~(us.Occupied | them.Occupied);

    PinsAndChecks info;
    FindPinsAndChecks<Side>(info);
    int count = 0;

    // Targets as moves or as a count; captures read the captured kind from the mailbox.
    auto add = [&](int from, int kind, Bitboard targets) {
        if constexpr (Emit) {
            AddCaptures(out, MoveBase(from, kind), targets & them.Occupied);
            AddQuiets(out, MoveBase(from, kind), targets & ~them.Occupied);
        }
        count += PopCount(targets);
    };

    const Bitboard kingTargets = KingDestinations<Side>(info);
    add(king, King, kingTargets);
    // In double check info.targets is empty and only the king's moves (and the tested en passant) remain.

    const Bitboard unpinned = ~info.pinned;
    for (Bitboard knights = us.Knights & unpinned; knights;) {
        const int from = PopFirstBit(knights);
        add(from, Knight, KnightAttacks[from] & info.targets);
    }
    auto sliders = [&]<int Kind>(Bitboard pieces) {
        while (pieces) {
            const int from = PopFirstBit(pieces);
            Bitboard targets = PieceAttacks<Kind>(from) & info.targets;
            if (info.pinned & SetMask[from]) targets &= info.pinLine[from];
            add(from, Kind, targets);
        }
    };
    sliders.template operator()<Bishop>(us.Bishops);
    sliders.template operator()<Rook>(us.Rooks);
    sliders.template operator()<Queen>(us.Queens);

    // Pawns that are not pinned, all at once. A promotion counts four times.
    {
        const Bitboard pawns = us.Pawns & unpinned;
        const Bitboard single = Shift<Up>(pawns) & empty;
        const Bitboard pushes = single & info.targets;
        const Bitboard doubles = Shift<Up>(single & P::DoubleStepRank) & empty & info.targets;
        const Bitboard enemies = them.Occupied & info.targets;
        const Bitboard towardA = Shift<P::TowardA>(pawns & ~FileABits) & enemies;
        const Bitboard towardH = Shift<P::TowardH>(pawns & ~FileHBits) & enemies;
        if constexpr (Emit) {
            const Bitboard quiet = pushes & ~P::LastRank;
            AddPawnSteps<Up>(out, quiet);
            AddPawnSteps<2 * Up>(out, doubles);
            for (Bitboard promotions = pushes & P::LastRank; promotions;) {
                const int to = PopFirstBit(promotions);
                AddPromotions<Queen, Rook, Bishop, Knight>(out, to - Up, to, 0);
            }
            AddPawnCaptures<Side, P::TowardA, false>(out, towardA);
            AddPawnCaptures<Side, P::TowardH, false>(out, towardH);
        }
        count += PopCount(pushes) + PopCount(doubles) + PopCount(towardA) + PopCount(towardH) +
                 3 * (PopCount(pushes & P::LastRank) + PopCount(towardA & P::LastRank) +
                      PopCount(towardH & P::LastRank));
    }
    // Pinned pawns, one by one along their lines (never in check: a pinned piece cannot answer one).
    for (Bitboard pawns = us.Pawns & info.pinned; pawns;) {
        const int from = PopFirstBit(pawns);
        const Bitboard line = info.pinLine[from] & info.targets;
        const Bitboard single = SetMask[from + Up] & empty;
        Bitboard pushes = single & line;
        if (SetMask[from] & P::StartRank) pushes |= Shift<Up>(single) & empty & line;
        const Bitboard captures = PawnAttacksOf<Side>()[from] & them.Occupied & line;
        if constexpr (Emit) {
            for (Bitboard targets = pushes | captures; targets;) {
                const int to = PopFirstBit(targets);
                if (SetMask[to] & P::LastRank)
                    AddPromotions<Queen, Rook, Bishop, Knight>(out, from, to, KindOn(to));
                else
                    out.Add(MoveBase(from, Pawn) | ToBits(to) | CapturedBits(KindOn(to)));
            }
        }
        count += PopCount(pushes | captures) + 3 * PopCount((pushes | captures) & P::LastRank);
    }

    // En passant: rare, and it can uncover the king along the rank, so it is played and tested.
    if (const Bitboard ep = EpTargetOf<Side>(ply)) {
        const int to = FirstBit(ep);
        for (Bitboard takers = PawnAttacksOf<Them>()[to] & us.Pawns; takers;) {
            const Move move = MoveBase(PopFirstBit(takers), Pawn) | ToBits(to) | CapturedBits(Pawn);
            MakeMoveOf<Side>(move, ply);
            const bool legal = !AttackedBy<Them>(Sides[Side].KingSquare);
            UnmakeMoveOf<Side>(move, ply);
            if (legal) {
                if constexpr (Emit) out.Add(move);
                ++count;
            }
        }
    }

    if (!info.checkers && MoveCount[Side == White ? E1 : E8] == 0) {
        constexpr int KingHome = Side == White ? E1 : E8;
        if (CanCastle<Side, true>()) {
            if constexpr (Emit) out.Add(MoveBase(KingHome, King) | ToBits(KingHome + 2));
            ++count;
        }
        if (CanCastle<Side, false>()) {
            if constexpr (Emit) out.Add(MoveBase(KingHome, King) | ToBits(KingHome - 2));
            ++count;
        }
    }
    return count;
}

}  // namespace zarn::movegen

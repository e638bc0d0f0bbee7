// The steps of MakeMove, as an inline template so that hot loops (perft, the search) can inline it.
// Every set, counter and key changes by a few masks, lookups and additions.
#pragma once

#include "engine/moves/attacks.h"
#include "engine/moves/make.h"
#include "engine/moves/material.h"
#include "engine/search/stack.h"

namespace zarn {

template <int Side>
[[gnu::always_inline]] inline void MakeMoveOf(Move move, int ply) {
    using namespace movegen;
    constexpr int Them = 1 - Side;
    constexpr int Up = Side == White ? 8 : -8;
    constexpr int KingHome = Side == White ? E1 : E8;
    SideRecord& us = Sides[Side];
    SideRecord& them = Sides[Them];
    PlyRecord& here = SearchStack[ply];

    Key pawnKey = here.PawnKey;
    Key pieceKey = here.PieceKey;
    const int from = MoveFrom(move);
    const int to = MoveTo(move);
    const int kind = MoveKind(move);
    const int promotion = MovePromotion(move);
    int captured = MoveCaptured(move);
    here.CurrentMove = move;
    here.EpSquareAfter = 0;
    Board[from] = 0;

    // The mover leaves from and arrives on to; a captured piece's square stays occupied.
    if (captured) ToggleRotated(from);
    else ToggleRotated(from, to);
    us.Occupied ^= SquareBit[from].plain | SquareBit[to].plain;

    if (kind == Pawn) {
        pawnKey ^= KeyOf<Side>(Pawn, from);
        us.Pawns ^= SquareBit[from].plain;
        if (promotion) {
            pieceKey ^= KeyOf<Side>(promotion, to);
            PieceSetOf(us, promotion) |= SquareBit[to].plain;
            CountPiece<-1>(us, Pawn);
            CountPiece<+1>(us, promotion);
            Board[to] = PieceCode(Side, promotion);
        } else {
            pawnKey ^= KeyOf<Side>(Pawn, to);
            us.Pawns |= SquareBit[to].plain;
            if (to - from == 2 * Up) {
                // The square passed over becomes an en-passant square only when an enemy pawn
                // stands ready to take there. Its key term stays in every later ply of the line.
                const int passed = from + Up;
                if (PawnAttacksOf<Side>()[passed] & them.Pawns) {
                    here.EpSquareAfter = passed;
                    pieceKey ^= EpKeys[passed];
                }
            } else if (captured && to == SearchStack[ply - 1].EpSquareAfter) {
                if (Board[to] == 0) {
                    // En passant: the pawn behind the target goes, the target itself fills.
                    const int victim = to - Up;
                    pawnKey ^= KeyOf<Them>(Pawn, victim);
                    ToggleRotated(to, victim);
                    them.Pawns ^= SquareBit[victim].plain;
                    them.Occupied ^= SquareBit[victim].plain;
                    CountPiece<-1>(them, Pawn);
                    Board[victim] = 0;
                    captured = 0;
                } else {
                    // An en-passant square named by hand on an occupied square is none: forget it,
                    // so that the undo of this ordinary capture sees none either.
                    SearchStack[ply - 1].EpSquareAfter = 0;
                }
            }
            Board[to] = PieceCode(Side, Pawn);
        }
    } else if (kind == King) {
        pieceKey ^= KeyOf<Side>(King, from) ^ KeyOf<Side>(King, to);
        if (from == KingHome && (to == KingHome + 2 || to == KingHome - 2)) {
            const int rookFrom = to == KingHome + 2 ? KingHome + 3 : KingHome - 4;
            const int rookTo = to == KingHome + 2 ? KingHome + 1 : KingHome - 1;
            const Bitboard rookBits = SquareBit[rookFrom].plain | SquareBit[rookTo].plain;
            pieceKey ^= KeyOf<Side>(Rook, rookFrom) ^ KeyOf<Side>(Rook, rookTo);
            us.Occupied ^= rookBits;
            us.Rooks ^= rookBits;
            ToggleRotated(rookFrom, rookTo);
            Board[rookFrom] = 0;
            Board[rookTo] = PieceCode(Side, Rook);
            us.Castled = 1;
        }
        us.KingSquare = to;
        Board[to] = PieceCode(Side, King);
        ++MoveCount[from];
    } else {  // knight, bishop, rook, queen
        pieceKey ^= KeyOf<Side>(kind, from) ^ KeyOf<Side>(kind, to);
        PieceSetOf(us, kind) ^= SquareBit[from].plain | SquareBit[to].plain;
        Board[to] = PieceCode(Side, kind);
        MoveCount[from] += kind == Rook;
    }

    if (captured) {
        if (captured == Pawn) pawnKey ^= KeyOf<Them>(Pawn, to);
        else pieceKey ^= KeyOf<Them>(captured, to);
        CountPiece<-1>(them, captured);
        PieceSetOf(them, captured) &= ~SquareBit[to].plain;
        them.Occupied &= ~SquareBit[to].plain;
        MoveCount[to] += captured == Rook;
    }

    PlyRecord& next = SearchStack[ply + 1];
    next.PawnKey = pawnKey;
    next.PieceKey = pieceKey;
}

}  // namespace zarn

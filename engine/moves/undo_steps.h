// The steps of UnmakeMove, as an inline template so that hot loops (perft, the search) can inline
// it: the steps of make reversed, keys and en-passant fields left alone (each ply keeps its own copy).
#pragma once

#include "engine/moves/attacks.h"
#include "engine/moves/make.h"
#include "engine/moves/material.h"
#include "engine/search/stack.h"

namespace zarn {

template <int Side>
[[gnu::always_inline]] inline void UnmakeMoveOf(Move move, int ply) {
    using namespace movegen;
    constexpr int Them = 1 - Side;
    constexpr int Up = Side == White ? 8 : -8;
    constexpr int KingHome = Side == White ? E1 : E8;
    SideRecord& us = Sides[Side];
    SideRecord& them = Sides[Them];

    const int from = MoveFrom(move);
    const int to = MoveTo(move);
    const int kind = MoveKind(move);
    const int promotion = MovePromotion(move);
    int captured = MoveCaptured(move);

    us.Occupied ^= SquareBit[from].plain | SquareBit[to].plain;
    Board[to] = 0;

    if (kind == Pawn) {
        if (promotion) {
            PieceSetOf(us, promotion) &= ~SquareBit[to].plain;
            CountPiece<-1>(us, promotion);
            CountPiece<+1>(us, Pawn);
        } else {
            us.Pawns ^= SquareBit[to].plain;
            if (captured && to == SearchStack[ply - 1].EpSquareAfter) {
                const int victim = to - Up;
                them.Pawns |= SquareBit[victim].plain;
                them.Occupied |= SquareBit[victim].plain;
                ToggleRotated(victim);
                CountPiece<+1>(them, Pawn);
                Board[victim] = PieceCode(Them, Pawn);
                captured = 0;
            }
        }
        us.Pawns |= SquareBit[from].plain;
        Board[from] = PieceCode(Side, Pawn);
    } else if (kind == King) {
        if (from == KingHome && (to == KingHome + 2 || to == KingHome - 2)) {
            const int rookHome = to == KingHome + 2 ? KingHome + 3 : KingHome - 4;
            const int rookTo = to == KingHome + 2 ? KingHome + 1 : KingHome - 1;
            const Bitboard rookBits = SquareBit[rookHome].plain | SquareBit[rookTo].plain;
            us.Occupied ^= rookBits;
            us.Rooks ^= rookBits;
            ToggleRotated(rookHome, rookTo);
            Board[rookTo] = 0;
            Board[rookHome] = PieceCode(Side, Rook);
            us.Castled = 0;
        }
        us.KingSquare = from;
        Board[from] = PieceCode(Side, King);
        --MoveCount[from];
    } else {  // knight, bishop, rook, queen
        PieceSetOf(us, kind) ^= SquareBit[from].plain | SquareBit[to].plain;
        Board[from] = PieceCode(Side, kind);
        MoveCount[from] -= kind == Rook;
    }

    // The mover goes back to from; the square it took stays occupied when something was captured.
    if (captured) {
        ToggleRotated(from);
        them.Occupied |= SquareBit[to].plain;
        PieceSetOf(them, captured) |= SquareBit[to].plain;
        CountPiece<+1>(them, captured);
        Board[to] = PieceCode(Them, captured);
        MoveCount[to] -= captured == Rook;
    } else {
        ToggleRotated(from, to);
    }
}

}  // namespace zarn

// Playing a move: every set, counter and key changes by a few masks, lookups and additions.
#include "engine/moves/make.h"

#include "engine/moves/attacks.h"
#include "engine/moves/material.h"
#include "engine/search/stack.h"

namespace zarn {

using namespace movegen;

template <int Side>
void MakeMoveOf(Move move, int ply) {
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

    RotatedOccupancy rotated = RotatedOccupancy::Current();
    rotated.Clear(from);
    rotated.Set(to);
    us.Occupied = (us.Occupied & ClearMask[from]) | SetMask[to];

    switch (kind) {
        case Pawn:
            pawnKey ^= KeyOf<Side>(Pawn, from);
            us.Pawns &= ClearMask[from];
            if (promotion) {
                pieceKey ^= KeyOf<Side>(promotion, to);
                PieceSetOf(us, promotion) |= SetMask[to];
                CountPiece(us, Pawn, -1);
                CountPiece(us, promotion, +1);
                Board[to] = PieceCode(Side, promotion);
                break;
            }
            pawnKey ^= KeyOf<Side>(Pawn, to);
            us.Pawns |= SetMask[to];
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
                    const int victim = to - Up;
                    pawnKey ^= KeyOf<Them>(Pawn, victim);
                    rotated.Clear(victim);
                    them.Pawns &= ClearMask[victim];
                    them.Occupied &= ClearMask[victim];
                    CountPiece(them, Pawn, -1);
                    Board[victim] = 0;
                    captured = 0;
                } else {
                    // An en-passant square named by hand on an occupied square is none: forget it,
                    // so that the undo of this ordinary capture sees none either.
                    SearchStack[ply - 1].EpSquareAfter = 0;
                }
            }
            Board[to] = PieceCode(Side, Pawn);
            break;

        case King:
            pieceKey ^= KeyOf<Side>(King, from) ^ KeyOf<Side>(King, to);
            if (from == KingHome && (to == KingHome + 2 || to == KingHome - 2)) {
                const int rookFrom = to == KingHome + 2 ? KingHome + 3 : KingHome - 4;
                const int rookTo = to == KingHome + 2 ? KingHome + 1 : KingHome - 1;
                pieceKey ^= KeyOf<Side>(Rook, rookFrom) ^ KeyOf<Side>(Rook, rookTo);
                us.Occupied = (us.Occupied & ClearMask[rookFrom]) | SetMask[rookTo];
                us.Rooks = (us.Rooks & ClearMask[rookFrom]) | SetMask[rookTo];
                rotated.Clear(rookFrom);
                rotated.Set(rookTo);
                Board[rookFrom] = 0;
                Board[rookTo] = PieceCode(Side, Rook);
                us.Castled = 1;
            }
            us.KingSquare = to;
            Board[to] = PieceCode(Side, King);
            ++MoveCount[from];
            break;

        default: {  // knight, bishop, rook, queen
            pieceKey ^= KeyOf<Side>(kind, from) ^ KeyOf<Side>(kind, to);
            Bitboard& set = PieceSetOf(us, kind);
            set = (set & ClearMask[from]) | SetMask[to];
            Board[to] = PieceCode(Side, kind);
            if (kind == Rook) ++MoveCount[from];
            break;
        }
    }

    if (captured) {
        if (captured == Pawn) pawnKey ^= KeyOf<Them>(Pawn, to);
        else pieceKey ^= KeyOf<Them>(captured, to);
        CountPiece(them, captured, -1);
        PieceSetOf(them, captured) &= ClearMask[to];
        them.Occupied &= ClearMask[to];
        if (captured == Rook) ++MoveCount[to];
    }

    rotated.Store();
    PlyRecord& next = SearchStack[ply + 1];
    next.PawnKey = pawnKey;
    next.PieceKey = pieceKey;
}

template void MakeMoveOf<White>(Move, int);
template void MakeMoveOf<Black>(Move, int);

void MakeMoveWhite(Move move, int ply) { MakeMoveOf<White>(move, ply); }
void MakeMoveBlack(Move move, int ply) { MakeMoveOf<Black>(move, ply); }

}  // namespace zarn

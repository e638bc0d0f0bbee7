// Taking a move back: the steps of make reversed, keys and en-passant fields left alone (each ply
// keeps its own copy).
#include "engine/moves/attacks.h"
#include "engine/moves/make.h"
#include "engine/moves/material.h"
#include "engine/search/stack.h"

namespace zarn {

using namespace movegen;

template <int Side>
void UnmakeMoveOf(Move move, int ply) {
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

    RotatedOccupancy rotated = RotatedOccupancy::Current();
    rotated.Clear(to);
    rotated.Set(from);
    us.Occupied = (us.Occupied & ClearMask[to]) | SetMask[from];
    Board[to] = 0;

    switch (kind) {
        case Pawn:
            if (promotion) {
                PieceSetOf(us, promotion) &= ClearMask[to];
                CountPiece(us, promotion, -1);
                CountPiece(us, Pawn, +1);
            } else {
                us.Pawns &= ClearMask[to];
                if (captured && to == SearchStack[ply - 1].EpSquareAfter) {
                    const int victim = to - Up;
                    them.Pawns |= SetMask[victim];
                    them.Occupied |= SetMask[victim];
                    rotated.Set(victim);
                    CountPiece(them, Pawn, +1);
                    Board[victim] = PieceCode(Them, Pawn);
                    captured = 0;
                }
            }
            us.Pawns |= SetMask[from];
            Board[from] = PieceCode(Side, Pawn);
            break;

        case King:
            if (from == KingHome && (to == KingHome + 2 || to == KingHome - 2)) {
                const int rookHome = to == KingHome + 2 ? KingHome + 3 : KingHome - 4;
                const int rookTo = to == KingHome + 2 ? KingHome + 1 : KingHome - 1;
                us.Occupied = (us.Occupied & ClearMask[rookTo]) | SetMask[rookHome];
                us.Rooks = (us.Rooks & ClearMask[rookTo]) | SetMask[rookHome];
                rotated.Clear(rookTo);
                rotated.Set(rookHome);
                Board[rookTo] = 0;
                Board[rookHome] = PieceCode(Side, Rook);
                us.Castled = 0;
            }
            us.KingSquare = from;
            Board[from] = PieceCode(Side, King);
            --MoveCount[from];
            break;

        default: {  // knight, bishop, rook, queen
            Bitboard& set = PieceSetOf(us, kind);
            set = (set & ClearMask[to]) | SetMask[from];
            Board[from] = PieceCode(Side, kind);
            if (kind == Rook) --MoveCount[from];
            break;
        }
    }

    if (captured) {
        rotated.Set(to);
        them.Occupied |= SetMask[to];
        PieceSetOf(them, captured) |= SetMask[to];
        CountPiece(them, captured, +1);
        Board[to] = PieceCode(Them, captured);
        if (captured == Rook) --MoveCount[to];
    }
    rotated.Store();
}

template void UnmakeMoveOf<White>(Move, int);
template void UnmakeMoveOf<Black>(Move, int);

void UnmakeMoveWhite(Move move, int ply) { UnmakeMoveOf<White>(move, ply); }
void UnmakeMoveBlack(Move move, int ply) { UnmakeMoveOf<Black>(move, ply); }

}  // namespace zarn

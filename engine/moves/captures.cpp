// The capture generator: piece captures, promotions to a queen, pawn captures and en passant.
#include "engine/moves/emit.h"
#include "engine/moves/moves.h"

namespace zarn {

using namespace movegen;

template <int Side>
void GenerateCaptures(int ply) {
    using P = Pawns<Side>;
    const SideRecord& us = Sides[Side];
    const Bitboard enemy = Sides[P::Them].Occupied;
    const Bitboard empty = ~(us.Occupied | enemy);
    MoveWriter out{MoveStart(ply)};

    AddPieceCaptures<Knight>(out, us.Knights, enemy);
    AddPieceCaptures<Bishop>(out, us.Bishops, enemy);
    AddPieceCaptures<Rook>(out, us.Rooks, enemy);
    AddPieceCaptures<Queen>(out, us.Queens, enemy);
    AddPieceCaptures<King>(out, KingSetOf<Side>(), enemy);

    Bitboard pushes = Shift<P::Up>(us.Pawns & P::SeventhRank) & empty;
    while (pushes) {
        const int to = PopFirstBit(pushes);
        AddPromotions<Queen>(out, to - P::Up, to, 0);
    }

    const Bitboard prey = enemy | EpTargetOf<Side>(ply);
    AddPawnCaptures<Side, P::TowardA, true>(out, Shift<P::TowardA>(us.Pawns & ~FileABits) & prey);
    AddPawnCaptures<Side, P::TowardH, true>(out, Shift<P::TowardH>(us.Pawns & ~FileHBits) & prey);

    SearchStack[ply].MoveEnd = out.end;
}

template void GenerateCaptures<White>(int);
template void GenerateCaptures<Black>(int);

void GenerateCapturesWhite(int ply) { GenerateCaptures<White>(ply); }
void GenerateCapturesBlack(int ply) { GenerateCaptures<Black>(ply); }

}  // namespace zarn

// Quiet moves, all moves, the legal moves of the root, and the playability test for remembered moves.
#include "engine/moves/moves.h"

#include "engine/moves/emit.h"
#include "engine/moves/make.h"

namespace zarn {

using namespace movegen;

template <int Side>
int GenerateQuiet(int ply, int start) {
    using P = Pawns<Side>;
    const SideRecord& us = Sides[Side];
    const Bitboard enemy = Sides[P::Them].Occupied;
    const Bitboard empty = ~(us.Occupied | enemy);
    MoveWriter out{start};

    AddCastling<Side>(out);
    AddPieceMoves<Knight, false>(out, us.Knights, empty);
    AddPieceMoves<Bishop, false>(out, us.Bishops, empty);
    AddPieceMoves<Rook, false>(out, us.Rooks, empty);
    AddPieceMoves<Queen, false>(out, us.Queens, empty);
    AddPieceMoves<King, false>(out, KingSetOf<Side>(), empty);

    // Single steps in rising square order: for White the plain steps come before the steps onto
    // the last rank, for Black after them.
    const Bitboard single = Shift<P::Up>(us.Pawns) & empty;
    const auto underpromotions = [&out](Bitboard targets, int delta) {
        while (targets) {
            const int to = PopFirstBit(targets);
            AddPromotions<Rook, Bishop, Knight>(out, to - delta, to, KindOn(to));
        }
    };
    if constexpr (Side == Black) underpromotions(single & P::LastRank, P::Up);
    AddPawnSteps<P::Up>(out, single & ~P::LastRank);
    if constexpr (Side == White) underpromotions(single & P::LastRank, P::Up);
    AddPawnSteps<2 * P::Up>(out, Shift<P::Up>(single & P::DoubleStepRank) & empty);

    const Bitboard lastRankPrey = enemy & P::LastRank;
    underpromotions(Shift<P::TowardA>(us.Pawns & ~FileABits) & lastRankPrey, P::TowardA);
    underpromotions(Shift<P::TowardH>(us.Pawns & ~FileHBits) & lastRankPrey, P::TowardH);

    SearchStack[ply].MoveEnd = out.end;
    return out.end;
}

template int GenerateQuiet<White>(int, int);
template int GenerateQuiet<Black>(int, int);

int GenerateQuietWhite(int ply, int start) { return GenerateQuiet<White>(ply, start); }
int GenerateQuietBlack(int ply, int start) { return GenerateQuiet<Black>(ply, start); }

// Each piece of one kind in turn: its captures, then its moves to empty squares.
template <int Kind>
static void AddEachPiece(MoveWriter& out, Bitboard pieces, Bitboard enemy, Bitboard empty) {
    while (pieces) {
        const int from = PopFirstBit(pieces);
        const Bitboard attacks = PieceAttacks<Kind>(from);
        AddCaptures(out, MoveBase(from, Kind), attacks & enemy);
        AddQuiets(out, MoveBase(from, Kind), attacks & empty);
    }
}

template <int Side>
void GenerateAllMoves(int ply) {
    using P = Pawns<Side>;
    const SideRecord& us = Sides[Side];
    const Bitboard enemy = Sides[P::Them].Occupied;
    const Bitboard empty = ~(us.Occupied | enemy);
    MoveWriter out{MoveStart(ply)};

    AddCastling<Side>(out);
    AddEachPiece<Knight>(out, us.Knights, enemy, empty);
    AddEachPiece<Bishop>(out, us.Bishops, enemy, empty);
    AddEachPiece<Rook>(out, us.Rooks, enemy, empty);
    AddEachPiece<Queen>(out, us.Queens, enemy, empty);
    AddEachPiece<King>(out, KingSetOf<Side>(), enemy, empty);

    const Bitboard single = Shift<P::Up>(us.Pawns) & empty;
    const auto promotions = [&out](Bitboard targets) {
        while (targets) {
            const int to = PopFirstBit(targets);
            AddPromotions<Queen, Rook, Bishop, Knight>(out, to - P::Up, to, 0);
        }
    };
    if constexpr (Side == Black) promotions(single & P::LastRank);
    AddPawnSteps<P::Up>(out, single & ~P::LastRank);
    if constexpr (Side == White) promotions(single & P::LastRank);
    AddPawnSteps<2 * P::Up>(out, Shift<P::Up>(single & P::DoubleStepRank) & empty);

    const Bitboard prey = enemy | EpTargetOf<Side>(ply);
    AddPawnCaptures<Side, P::TowardA, false>(out, Shift<P::TowardA>(us.Pawns & ~FileABits) & prey);
    AddPawnCaptures<Side, P::TowardH, false>(out, Shift<P::TowardH>(us.Pawns & ~FileHBits) & prey);

    SearchStack[ply].MoveEnd = out.end;
}

template void GenerateAllMoves<White>(int);
template void GenerateAllMoves<Black>(int);

void GenerateAllWhite(int ply) { GenerateAllMoves<White>(ply); }
void GenerateAllBlack(int ply) { GenerateAllMoves<Black>(ply); }
void GenerateAll(int side, int ply) { side == White ? GenerateAllWhite(ply) : GenerateAllBlack(ply); }

int GenerateLegalMoves(int side) {
    GenerateAll(side, 1);
    int& end = SearchStack[1].MoveEnd;
    for (int i = MoveStart(1); i < end;) {
        const Move move = MoveBuffer[i];
        MakeMove(side, move, 1);
        const int exposed = InCheck(side);
        UnmakeMove(side, move, 1);
        if (exposed) MoveBuffer[i] = MoveBuffer[--end];
        else ++i;
    }
    return end - MoveStart(1);
}

template <int Side>
int IsMovePossible(Move move, int ply) {
    using P = Pawns<Side>;
    const int from = MoveFrom(move);
    const int to = MoveTo(move);
    const int kind = MoveKind(move);
    const int captured = MoveCaptured(move);
    if (kind == Empty || kind > King || Board[from] != PieceCode(Side, kind)) return 0;
    // The target must hold what the move captures: the enemy piece of that kind, or nothing.
    const bool targetMatches = Board[to] == (captured ? PieceCode(P::Them, captured) : 0);

    switch (kind) {
        case Pawn: {
            // Pawn geometry depends on the colour, and the promotion field must fit the target rank.
            const int step = to - from;
            const int promotion = MovePromotion(move);
            const bool lastRank = (SetMask[to] & P::LastRank) != 0;
            if (lastRank != (promotion >= Knight && promotion <= Queen)) return 0;
            if (captured) {
                if (step != P::TowardA && step != P::TowardH) return 0;
                if (FileDistance[from][to] != 1) return 0;
                if (Board[to] != 0) return targetMatches;
                return captured == Pawn && (EpTargetOf<Side>(ply) & SetMask[to]) != 0;
            }
            if (step == P::Up) return Board[to] == 0;
            if (step == 2 * P::Up)
                return (SetMask[from] & P::StartRank) && Board[to] == 0 && Board[from + P::Up] == 0;
            return 0;
        }
        case Knight:
            return targetMatches;
        case Bishop:
        case Rook:
        case Queen:
            return targetMatches && !(Between[from][to] & (Sides[White].Occupied | Sides[Black].Occupied));
        default: {  // King
            if (!targetMatches) return 0;
            if (Distance[from][to] == 1) return 1;
            if (Distance[from][to] != 2) return 0;
            constexpr int KingHome = Side == White ? E1 : E8;
            if (from != KingHome) return 0;
            if (to == KingHome + 2) return CanCastle<Side, true>();
            if (to == KingHome - 2) return CanCastle<Side, false>();
            return 0;
        }
    }
}

template int IsMovePossible<White>(Move, int);
template int IsMovePossible<Black>(Move, int);

int IsMovePossibleWhite(Move move, int ply) { return IsMovePossible<White>(move, ply); }
int IsMovePossibleBlack(Move move, int ply) { return IsMovePossible<Black>(move, ply); }

}  // namespace zarn

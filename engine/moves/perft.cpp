// Leaf counting over the legal move tree, with bulk counting one ply above the leaves.
#include "engine/moves/perft.h"

#include "engine/moves/perft_legal.h"

#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make_steps.h"
#include "engine/moves/undo_steps.h"
#include "engine/moves/moves.h"
#include "engine/search/stack.h"

namespace zarn {
namespace {

// Pseudo-legal moves of the position at the ply, as the search would get them.
template <int Side>
void GeneratePseudoLegal(int ply) {
    if (InCheckOf<Side>()) {
        GenerateEvasions<Side>(ply);
    } else {
        GenerateCaptures<Side>(ply);
        GenerateQuiet<Side>(ply, SearchStack[ply].MoveEnd);
    }
}

template <int Side>
std::uint64_t PerftOf(int depth, int ply) {
    constexpr int Them = 1 - Side;
    GeneratePseudoLegal<Side>(ply);
    std::uint64_t leaves = 0;
    const int end = SearchStack[ply].MoveEnd;
    for (int i = MoveStart(ply); i < end; ++i) {
        const Move move = MoveBuffer[i];
        MakeMoveOf<Side>(move, ply);
        if (!AttackedBy<Them>(Sides[Side].KingSquare)) leaves += depth > 1 ? PerftOf<Them>(depth - 1, ply + 1) : 1;
        UnmakeMoveOf<Side>(move, ply);
    }
    return leaves;
}

// The fast path: legal moves straight from pins and checks, and the last ply counted, not played.
template <int Side>
std::uint64_t BulkPerftOf(int depth, int ply) {
    constexpr int Them = 1 - Side;
    movegen::MoveWriter out{MoveStart(ply)};
    if (depth == 1) return static_cast<std::uint64_t>(movegen::LegalMovesOf<Side, false>(ply, out));
    movegen::LegalMovesOf<Side, true>(ply, out);
    SearchStack[ply].MoveEnd = out.end;
    std::uint64_t leaves = 0;
    for (int i = MoveStart(ply); i < out.end; ++i) {
        const Move move = MoveBuffer[i];
        MakeMoveOf<Side>(move, ply);
        leaves += BulkPerftOf<Them>(depth - 1, ply + 1);
        UnmakeMoveOf<Side>(move, ply);
    }
    return leaves;
}

// The one king of a side, on its recorded square.
template <int Side>
bool HasOneKing() {
    const SideRecord& side = Sides[Side];
    const Bitboard kings = side.Occupied & ~(side.Pawns | side.Knights | side.Bishops | side.Rooks | side.Queens);
    return kings && !(kings & (kings - 1)) && kings == KingSetOf<Side>();
}

// What the fast path takes for granted, and legal play keeps: one king a side, no pawn on a back
// rank, the side not to move not in check. Anything else goes the way of make, test and undo.
bool RegularPosition(int side) {
    constexpr Bitboard BackRanks = movegen::RankBits(0) | movegen::RankBits(7);
    if (!HasOneKing<White>() || !HasOneKing<Black>()) return false;
    if ((Sides[White].Pawns | Sides[Black].Pawns) & BackRanks) return false;
    return side == White ? !InCheckOf<Black>() : !InCheckOf<White>();
}

template <int Side>
int GenerateLegal(int ply) {
    constexpr int Them = 1 - Side;
    GeneratePseudoLegal<Side>(ply);
    int& end = SearchStack[ply].MoveEnd;
    int kept = MoveStart(ply);
    for (int i = kept; i < end; ++i) {
        const Move move = MoveBuffer[i];
        MakeMoveOf<Side>(move, ply);
        if (!AttackedBy<Them>(Sides[Side].KingSquare)) MoveBuffer[kept++] = move;
        UnmakeMoveOf<Side>(move, ply);
    }
    end = kept;
    return end - MoveStart(ply);
}

}  // namespace

std::uint64_t Perft(int side, int depth, int ply) {
    if (depth <= 0) return 1;
    if (RegularPosition(side))
        return side == White ? BulkPerftOf<White>(depth, ply) : BulkPerftOf<Black>(depth, ply);
    return PerftByMaking(side, depth, ply);
}

std::uint64_t PerftByMaking(int side, int depth, int ply) {
    if (depth <= 0) return 1;
    return side == White ? PerftOf<White>(depth, ply) : PerftOf<Black>(depth, ply);
}

int GeneratePerftMoves(int side, int ply) {
    return side == White ? GenerateLegal<White>(ply) : GenerateLegal<Black>(ply);
}

}  // namespace zarn

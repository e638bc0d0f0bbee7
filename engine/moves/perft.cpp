// Leaf counting over the legal move tree, with bulk counting one ply above the leaves.
#include "engine/moves/perft.h"

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
    return side == White ? PerftOf<White>(depth, ply) : PerftOf<Black>(depth, ply);
}

int GeneratePerftMoves(int side, int ply) {
    return side == White ? GenerateLegal<White>(ply) : GenerateLegal<Black>(ply);
}

}  // namespace zarn

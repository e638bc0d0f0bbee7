// Perft's fast path (legal moves from pins and checks, the last ply counted unplayed) against the
// reference that makes and tests every move, along random games and on irregular set-ups.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/board/board.h"
#include "engine/moves/make.h"
#include "engine/moves/perft.h"
#include "engine/search/stack.h"
#include "tests/engine/moves/support.h"

namespace zarn {
namespace {

using testing::SetPosition;

// Plays a random game from the position and compares both counts at every ply on the way.
void WalkAndCompare(const std::string& fen, std::uint32_t seed, int plies, int depth) {
    int side = SetPosition(fen);
    for (int ply = 1; ply <= plies; ++ply) {
        ASSERT_EQ(Perft(side, depth, ply), PerftByMaking(side, depth, ply)) << fen << " after " << ply - 1 << " plies";
        const int count = GeneratePerftMoves(side, ply);
        if (count == 0) return;
        seed = seed * 1664525u + 1013904223u;
        MakeMove(side, MoveBuffer[MoveStart(ply) + static_cast<int>((seed >> 8) % count)], ply);
        side = 1 - side;
    }
}

TEST(PerftFastPath, AgreesWithMakeAndTestAlongRandomGames) {
    const char* const fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    };
    std::uint32_t seed = 7;
    for (const char* fen : fens)
        for (int game = 0; game < 6; ++game) WalkAndCompare(fen, seed += 101, 40, 2);
}

// Set-ups that legal play never reaches go the reference way: a missing king, a pawn on a back rank,
// a king that can be taken.
TEST(PerftFastPath, IrregularSetUpsCountAsBefore) {
    for (const char* fen : {"8/8/8/3k4/8/8/8/R7 w - - 0 1", "4k3/8/8/8/8/8/8/P3K3 w - - 0 1",
                            "4k3/8/8/8/8/8/8/r3K3 b - - 0 1"}) {
        const int side = SetPosition(fen);
        EXPECT_EQ(Perft(side, 3, 1), PerftByMaking(side, 3, 1)) << fen;
    }
}

}  // namespace
}  // namespace zarn

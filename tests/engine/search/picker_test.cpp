// The staged move pickers: order of the stages, every move exactly once, hash move and killers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/interface/zarn.h"
#include "engine/moves/buffer.h"
#include "engine/moves/moves.h"
#include "engine/search/history.h"
#include "engine/search/next.h"
#include "engine/search/stack.h"
#include "tests/engine/search/harness.h"

namespace zarn {
namespace {

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override { testing::StartEngine(); }
    void TearDown() override { ZarnQuit(); }

    static void Prepare(const std::string& fen, Move hash = 0, Move killer1 = 0, Move killer2 = 0) {
        testing::SetFen(fen);
        ClearHistory();
        PlyRecord& record = SearchStack[1];
        record.PickerStage = Stage::StageHashMove;
        record.HashMove = hash;
        record.Killer1 = killer1;
        record.Killer2 = killer2;
    }

    static std::vector<Move> Drain(bool evasions = false) {
        std::vector<Move> moves;
        for (int guard = 0; guard < 300; ++guard) {
            const Move move = evasions ? (SideToMove == White ? NextEvasionWhite(1) : NextEvasionBlack(1))
                                       : (SideToMove == White ? NextMoveWhite(1) : NextMoveBlack(1));
            if (move == 0) break;
            moves.push_back(move);
        }
        return moves;
    }

    // Every pseudo-legal move of the position, sorted.
    static std::vector<Move> AllMoves() {
        GenerateAll(SideToMove, 1);
        std::vector<Move> moves(MoveBuffer + MoveStart(1), MoveBuffer + SearchStack[1].MoveEnd);
        std::sort(moves.begin(), moves.end());
        return moves;
    }

    static std::vector<Move> Sorted(std::vector<Move> moves) {
        std::sort(moves.begin(), moves.end());
        return moves;
    }

    static std::ptrdiff_t IndexOf(const std::vector<Move>& moves, Move move) {
        return std::find(moves.begin(), moves.end(), move) - moves.begin();
    }
};

const std::string AfterE4D5 = "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -";
const Move ExD5 = MakeMoveCode(E4, D5, Pawn, Pawn);
const Move NgF3 = MakeMoveCode(G1, F3, Knight);
const Move NbC3 = MakeMoveCode(B1, C3, Knight);

TEST_F(PickerTest, QuietHashMoveIsTriedFirstAndNeverAgain) {
    // Killer 1 equals the hash move: it is not returned a second time.
    Prepare(AfterE4D5, NgF3, NgF3, NbC3);
    const std::vector<Move> moves = Drain();
    ASSERT_GE(moves.size(), 3u);
    EXPECT_EQ(moves[0], NgF3);
    EXPECT_EQ(moves[1], ExD5);  // the one capture: pawn for pawn, exchange value 0
    EXPECT_EQ(moves[2], NbC3);
    EXPECT_EQ(Sorted(moves), AllMoves());
}

TEST_F(PickerTest, CaptureHashMoveIsNotPickedAgainAmongCaptures) {
    Prepare(AfterE4D5, ExD5, NbC3);
    const std::vector<Move> moves = Drain();
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves[0], ExD5);
    EXPECT_EQ(moves[1], NbC3);
    EXPECT_EQ(Sorted(moves), AllMoves());
}

TEST_F(PickerTest, ImpossibleHashMoveAndKillersAreSkipped) {
    const Move rookThroughPawn = MakeMoveCode(A1, A5, Rook);
    const Move knightOntoOwnPawn = MakeMoveCode(B1, D2, Knight);
    Prepare(AfterE4D5, rookThroughPawn, knightOntoOwnPawn, NbC3);
    const std::vector<Move> moves = Drain();
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves[0], ExD5);
    EXPECT_EQ(moves[1], NbC3);
    EXPECT_EQ(Sorted(moves), AllMoves());
}

TEST_F(PickerTest, LosingCapturesWaitBehindKillersAndHistoryOrdersFourQuietMoves) {
    // The queen on h5 can take on h7 or f7, each losing the queen for a pawn; on d5 the e-pawn would
    // recapture after Qxd5, so that capture counts as a pawn won, like exd5.
    Prepare("rnbqkbnr/ppp1pppp/8/3p3Q/4P3/8/PPPP1PPP/RNB1KBNR w KQkq -", 0, NbC3, NgF3);
    const Move a3 = MakeMoveCode(A2, A3, Pawn), h4 = MakeMoveCode(H2, H4, Pawn), bc4 = MakeMoveCode(F1, C4, Bishop),
               ke2 = MakeMoveCode(E1, E2, King), ne2 = MakeMoveCode(G1, E2, Knight);
    History[White][MoveFromTo(a3)] = 50;
    History[White][MoveFromTo(h4)] = 40;
    History[White][MoveFromTo(bc4)] = 40;  // equal counters: generation order decides
    History[White][MoveFromTo(ke2)] = 30;
    History[White][MoveFromTo(ne2)] = 20;
    History[White][MoveFromTo(NbC3)] = 1000;  // killers are not picked again by history

    const std::vector<Move> moves = Drain();
    // Once empty the picker stays empty.
    EXPECT_EQ(NextMoveWhite(1), 0u);
    EXPECT_EQ(NextMoveWhite(1), 0u);
    ASSERT_GE(moves.size(), 8u);
    EXPECT_EQ(moves[0], MakeMoveCode(H5, D5, Queen, Pawn));  // equal scores: queen captures come first
    EXPECT_EQ(moves[1], ExD5);
    EXPECT_EQ(moves[2], NbC3);
    EXPECT_EQ(moves[3], NgF3);
    EXPECT_EQ(moves[4], a3);
    EXPECT_EQ(moves[5], bc4);  // bishop moves are generated before pawn moves
    EXPECT_EQ(moves[6], h4);
    EXPECT_EQ(moves[7], ke2);
    EXPECT_GT(IndexOf(moves, MakeMoveCode(H5, H7, Queen, Pawn)), 7);
    EXPECT_GT(IndexOf(moves, MakeMoveCode(H5, F7, Queen, Pawn)), 7);
    EXPECT_EQ(Sorted(moves), AllMoves());
}

TEST_F(PickerTest, EvasionsComeHashMoveFirstThenByCaptureScore) {
    // The rook on a1 checks along the first rank: the queen takes it, or a knight blocks on b1 or d1
    // where the rook takes it.
    const std::string fen = "6k1/Q7/8/8/8/2N5/5PPP/r5K1 w - -";
    const Move queenTakes = MakeMoveCode(A7, A1, Queen, Rook);
    const Move blockB1 = MakeMoveCode(C3, B1, Knight), blockD1 = MakeMoveCode(C3, D1, Knight);
    Prepare(fen);
    EXPECT_EQ(Drain(true), (std::vector<Move>{queenTakes, blockB1, blockD1}));
    Prepare(fen, blockD1);
    EXPECT_EQ(Drain(true), (std::vector<Move>{blockD1, queenTakes, blockB1}));
    EXPECT_EQ(NextEvasionWhite(1), 0u);
}

}  // namespace
}  // namespace zarn

// The generators: emission order, move encoding, castling conditions, evasions, the legal filter,
// the playability test and the guard at the end of the move buffer.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/board/fen.h"
#include "engine/moves/attacks.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "tests/engine/moves/support.h"

namespace zarn {
namespace {

using testing::MovesOf;
using testing::SetPosition;
using testing::Texts;

std::vector<Move> Captures(int side) {
    side == White ? GenerateCapturesWhite(1) : GenerateCapturesBlack(1);
    return MovesOf(1);
}
std::vector<Move> Quiet(int side) {
    side == White ? GenerateQuietWhite(1, MoveStart(1)) : GenerateQuietBlack(1, MoveStart(1));
    return MovesOf(1);
}
std::vector<Move> Evasions(int side) {
    side == White ? GenerateEvasionsWhite(1) : GenerateEvasionsBlack(1);
    return MovesOf(1);
}
std::vector<Move> All(int side) {
    GenerateAll(side, 1);
    return MovesOf(1);
}
std::vector<Move> PawnMovesOnly(std::vector<Move> moves) {
    std::erase_if(moves, [](Move m) { return MoveKind(m) != Pawn; });
    return moves;
}
bool Contains(const std::vector<Move>& moves, Move move) {
    return std::find(moves.begin(), moves.end(), move) != moves.end();
}

TEST(Generation, StartPositionOrder) {
    SetPosition(StartPositionText);
    EXPECT_TRUE(Captures(White).empty());
    EXPECT_EQ(Texts(Quiet(White)),
              "b1a3 b1c3 g1f3 g1h3 a2a3 b2b3 c2c3 d2d3 e2e3 f2f3 g2g3 h2h3 a2a4 b2b4 c2c4 d2d4 e2e4 f2f4 g2g4 h2h4");
    EXPECT_EQ(Texts(Quiet(Black)),
              "b8a6 b8c6 g8f6 g8h6 a7a6 b7b6 c7c6 d7d6 e7e6 f7f6 g7g6 h7h6 a7a5 b7b5 c7c5 d7d5 e7e5 f7f5 g7g5 h7h5");
    EXPECT_EQ(GenerateLegalMoves(White), 20);
}

TEST(Generation, QuietMovesAppendAtTheGivenStart) {
    SetPosition("4k3/8/8/3p4/4P3/8/8/4K3 w - -");
    GenerateCapturesWhite(1);
    const int afterCaptures = SearchStack[1].MoveEnd;
    EXPECT_EQ(afterCaptures - MoveStart(1), 1);
    EXPECT_EQ(MoveBuffer[MoveStart(1)], MakeMoveCode(E4, D5, Pawn, Pawn));
    const int end = GenerateQuietWhite(1, afterCaptures);
    EXPECT_EQ(end, SearchStack[1].MoveEnd);
    EXPECT_EQ(MoveBuffer[MoveStart(1)], MakeMoveCode(E4, D5, Pawn, Pawn));
    EXPECT_EQ(end - afterCaptures, 6);  // five king steps and e4e5
}

TEST(Generation, PromotionsAreSplitBetweenCapturesAndQuietMoves) {
    SetPosition("1n2k3/P7/8/8/8/8/8/4K3 w - -");
    EXPECT_EQ(Texts(PawnMovesOnly(Captures(White))), "a7a8q a7b8q");
    EXPECT_EQ(Texts(PawnMovesOnly(Quiet(White))), "a7a8r a7a8b a7a8n a7b8r a7b8b a7b8n");
    EXPECT_EQ(Texts(PawnMovesOnly(All(White))), "a7a8q a7a8r a7a8b a7a8n a7b8q a7b8r a7b8b a7b8n");
    const std::vector<Move> captures = Captures(White);
    EXPECT_TRUE(Contains(captures, MakeMoveCode(A7, B8, Pawn, Knight, Queen)));

    // Black promotes on the first rank: the steps onto it come before the plain steps.
    SetPosition("4k3/8/8/8/8/7p/p7/4K3 b - -");
    EXPECT_EQ(Texts(PawnMovesOnly(Quiet(Black))), "a2a1r a2a1b a2a1n h3h2");
    EXPECT_EQ(Texts(PawnMovesOnly(All(Black))), "a2a1q a2a1r a2a1b a2a1n h3h2");
}

TEST(Generation, EnPassantIsAPawnTakingAPawnOntoTheEmptySquare) {
    SetPosition("4k3/8/8/2PpP3/8/8/8/4K3 w - d6");
    const std::vector<Move> captures = Captures(White);
    EXPECT_EQ(Texts(captures), "e5d6 c5d6");
    for (const Move move : captures) EXPECT_EQ(MoveCaptured(move), Pawn);
    // A square named by hand that no pawn stands behind is no en-passant square.
    SetPosition("4k3/8/8/2P1P3/8/8/8/4K3 w - d6");
    EXPECT_TRUE(Captures(White).empty());
}

TEST(Generation, CastlingConditions) {
    SetPosition("4k3/8/8/8/8/8/8/R3K2R w KQ -");
    std::vector<Move> quiet = Quiet(White);
    ASSERT_GE(quiet.size(), 2u);
    EXPECT_EQ(quiet[0], WhiteCastleShort);
    EXPECT_EQ(quiet[1], WhiteCastleLong);

    // An attacked b1 does not stop castling long; an occupied b1 does.
    SetPosition("1r2k3/8/8/8/8/8/8/R3K2R w KQ -");
    EXPECT_TRUE(Contains(Quiet(White), WhiteCastleLong));
    SetPosition("4k3/8/8/8/8/8/8/RN2K2R w KQ -");
    EXPECT_FALSE(Contains(Quiet(White), WhiteCastleLong));
    EXPECT_TRUE(Contains(Quiet(White), WhiteCastleShort));
    // Rights lost through the counters.
    SetPosition("4k3/8/8/8/8/8/8/R3K2R w Q -");
    EXPECT_FALSE(Contains(Quiet(White), WhiteCastleShort));
}

TEST(Evasions, KingLeavesTheCheckingLineAndPinnedPiecesStay) {
    SetPosition("4r2k/8/8/8/4K3/8/8/8 w - -");
    const std::vector<Move> escapes = Evasions(White);
    EXPECT_FALSE(Contains(escapes, MakeMoveCode(E4, E3, King)));
    EXPECT_FALSE(Contains(escapes, MakeMoveCode(E4, E5, King)));
    for (const int to : {D3, F3, D4, F4, D5, F5}) EXPECT_TRUE(Contains(escapes, MakeMoveCode(E4, to, King)));
    EXPECT_EQ(escapes.size(), 6u);

    // The knight could take the checking rook but is pinned by the bishop.
    SetPosition("4k3/8/8/b7/4r3/8/3N4/4K3 w - -");
    for (const Move move : Evasions(White)) EXPECT_NE(MoveKind(move), Knight);
}

TEST(Evasions, BlocksCapturesAndEnPassantOfTheCheckingPawn) {
    // The bishop takes the rook or blocks on c1; the king steps off the rank (not to f1 behind itself).
    SetPosition("7k/8/8/8/8/8/1B6/r3K2R w - -");
    EXPECT_EQ(Texts(Evasions(White)), "b2a1 b2c1 e1d2 e1e2 e1f2");

    // Every unpinned pawn beside the checking pawn may take it en passant.
    SetPosition("8/8/8/2k5/2pPp3/8/8/4K3 b - d3");
    const std::vector<Move> evasions = Evasions(Black);
    EXPECT_TRUE(Contains(evasions, MakeMoveCode(C4, D3, Pawn, Pawn)));
    EXPECT_TRUE(Contains(evasions, MakeMoveCode(E4, D3, Pawn, Pawn)));

    // Double check: only king moves, off the rook's file and out of the knight's reach.
    SetPosition("4r2k/8/8/8/8/5n2/8/4K3 w - -");
    for (const Move move : Evasions(White)) EXPECT_EQ(MoveKind(move), King);
    EXPECT_EQ(Texts(Evasions(White)), "e1d1 e1f1 e1f2");
}

TEST(LegalMoves, IllegalMovesAreReplacedByTheLastOfTheRange) {
    SetPosition("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -");
    GenerateAll(White, 1);
    std::vector<Move> all = MovesOf(1);
    EXPECT_EQ(GenerateLegalMoves(White), 14);
    std::vector<Move> legal = MovesOf(1);
    // The legal moves are those of all moves that do not leave the king attacked, order apart.
    std::erase_if(all, [](Move m) {
        MakeMove(White, m, 1);
        const int exposed = InCheck(White);
        UnmakeMove(White, m, 1);
        return exposed;
    });
    EXPECT_EQ(testing::Sorted(all), testing::Sorted(legal));
}

TEST(IsMovePossible, RemembersNoMoreThanTheCurrentPositionAllows) {
    SetPosition("4k3/8/8/3n4/4P3/8/8/4K3 w - -");
    const Move takesKnight = MakeMoveCode(E4, D5, Pawn, Knight);
    EXPECT_EQ(IsMovePossibleWhite(takesKnight, 1), 1);
    SetPosition("4k3/8/8/3b4/4P3/8/8/4K3 w - -");
    EXPECT_EQ(IsMovePossibleWhite(takesKnight, 1), 0);
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(E4, D5, Pawn, Bishop), 1), 1);
    EXPECT_EQ(IsMovePossibleBlack(MakeMoveCode(E4, D5, Pawn, Bishop), 1), 0);

    // Pawn steps need empty squares; a black pawn's step is no white pawn move.
    SetPosition("4k3/8/8/8/8/8/4P3/4K3 w - -");
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(E2, E4, Pawn), 1), 1);
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(E2, E1, Pawn), 1), 0);
    SetPosition("4k3/8/8/8/8/4n3/4P3/4K3 w - -");
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(E2, E4, Pawn), 1), 0);
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(E2, E3, Pawn), 1), 0);

    // Sliders need a clear path; castling needs every condition of the generator.
    SetPosition("4k3/8/8/8/8/8/8/RB1QK2R w KQ -");
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(D1, H5, Queen), 1), 1);
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(A1, C1, Rook), 1), 0);
    EXPECT_EQ(IsMovePossibleWhite(WhiteCastleShort, 1), 1);
    EXPECT_EQ(IsMovePossibleWhite(WhiteCastleLong, 1), 0);
    EXPECT_EQ(IsMovePossibleBlack(BlackCastleShort, 1), 0);
    EXPECT_EQ(IsMovePossibleWhite(0, 1), 0);

    // En passant only onto the position's en-passant square.
    SetPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d6");
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(E5, D6, Pawn, Pawn), 1), 1);
    SetPosition("4k3/8/8/3pP3/8/8/8/4K3 w - -");
    EXPECT_EQ(IsMovePossibleWhite(MakeMoveCode(E5, D6, Pawn, Pawn), 1), 0);
}

TEST(MoveBuffer, GeneratorsNeverWritePastTheEnd) {
    SetPosition(StartPositionText);
    const int start = MoveBufferSize - 5;
    SearchStack[0].MoveEnd = start;
    const Move before = MoveBuffer[start - 1];
    EXPECT_EQ(GenerateQuietWhite(1, start), MoveBufferSize);
    EXPECT_EQ(MoveBuffer[start - 1], before);
    EXPECT_EQ(MoveBuffer[start], MakeMoveCode(B1, A3, Knight));
    GenerateAll(White, 1);
    EXPECT_EQ(SearchStack[1].MoveEnd, MoveBufferSize);
    EXPECT_EQ(GenerateLegalMoves(White), 5);
    // A start beyond the end writes nothing at all.
    EXPECT_EQ(GenerateQuietWhite(1, MoveBufferSize + 7), MoveBufferSize + 7);
    SearchStack[0].MoveEnd = 1;
}

}  // namespace
}  // namespace zarn

// FEN set-up: the lenient reader, the side records and keys it rebuilds, and the square text.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/tables.h"
#include "engine/search/history.h"
#include "engine/search/stack.h"

namespace zarn {
namespace {

class Fen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitialiseEngine(); }

    // Sets the position from a copy of text and returns the side to move.
    static int Set(const std::string& text) {
        std::string copy = text;
        SplitFields(copy.data(), fields);
        SetupPosition(fields);
        return SideToMove;
    }

    static std::string Placement() {
        std::string out;
        for (int s = 0; s < 64; ++s) out += std::to_string(Board[s]) + " ";
        return out;
    }

    static inline FieldBuffer fields;
};

bool CastlingAllowed(int king, int rook) { return MoveCount[king] == 0 && MoveCount[rook] == 0; }

TEST_F(Fen, StartPositionSideRecordsAndCounters) {
    EXPECT_EQ(Set(StartPositionText), White);
    for (int side : {White, Black}) {
        const SideRecord& r = Sides[side];
        EXPECT_EQ(r.Material, 3900);
        EXPECT_EQ(r.PieceMaterial, 31);
        EXPECT_EQ(r.MinorCount, 4);
        EXPECT_EQ(r.MajorCount, 4);
        EXPECT_EQ(r.PawnCount, 8);
        EXPECT_EQ(std::popcount(r.Occupied), 16);
    }
    EXPECT_EQ(WhitePieces.KingSquare, E1);
    EXPECT_EQ(BlackPieces.KingSquare, E8);
    EXPECT_EQ(WhitePieces.Pawns, RankMask[1]);
    EXPECT_EQ(BlackPieces.Rooks, SetMask[A8] | SetMask[H8]);
    EXPECT_EQ(WhitePieces.Queens, SetMask[D1]);
    for (int s = 0; s < 64; ++s) {
        const bool home = s == A1 || s == E1 || s == H1 || s == A8 || s == E8 || s == H8;
        EXPECT_EQ(MoveCount[s], home ? 0 : 1) << "square " << s;
    }
    Bitboard rot90 = 0;
    for (int s = 0; s < 64; ++s)
        if (Board[s]) rot90 |= SetMaskRot90[s];
    EXPECT_EQ(OccupiedRot90, rot90);
    EXPECT_EQ(SearchStack[0].EpSquareAfter, 0);
    EXPECT_EQ(GamePly, 0);
}

TEST_F(Fen, MoveCountersAndSeparatorsDoNotMatter) {
    Set(StartPositionText);
    const std::string start = Placement();
    const Key pawnKey = SearchStack[1].PawnKey, pieceKey = SearchStack[1].PieceKey;
    for (const char* text : {
             "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
             "rnbqkbnr,pppppppp;8=8+8 8/PPPPPPPP/RNBQKBNR w KQkq -",
             "  rnbqkbnr ; ; pppppppp//8,,8==8++8   PPPPPPPP RNBQKBNR,w/KQkq/-  ",
         }) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Set(text), White);
        EXPECT_EQ(Placement(), start);
        EXPECT_TRUE(CastlingAllowed(E1, H1) && CastlingAllowed(E1, A1));
        EXPECT_TRUE(CastlingAllowed(E8, H8) && CastlingAllowed(E8, A8));
        EXPECT_EQ(SearchStack[1].PawnKey, pawnKey);
        EXPECT_EQ(SearchStack[1].PieceKey, pieceKey);
    }
}

TEST_F(Fen, SideToMoveIsWhiteOnlyForLowerCaseW) {
    EXPECT_EQ(Set("8/8/8/8/8/8/8/8 w - -"), White);
    EXPECT_EQ(Set("8/8/8/8/8/8/8/8 W - -"), Black);
    EXPECT_EQ(Set("8/8/8/8/8/8/8/8 white - -"), Black);
    EXPECT_EQ(Set("8/8/8/8/8/8/8/8 b - -"), Black);
}

TEST_F(Fen, EmptyBoardWithBlackToMove) {
    EXPECT_EQ(Set("8/8/8/8/8/8/8/8 b - -"), Black);
    EXPECT_EQ(AllPieces(), 0u);
    EXPECT_EQ(WhitePieces.KingSquare, 0);
    EXPECT_EQ(BlackPieces.KingSquare, 0);
    EXPECT_EQ(SearchStack[1].PawnKey, 0u);
    EXPECT_EQ(SearchStack[1].PieceKey, 0u);
}

TEST_F(Fen, MissingFieldsReadAsEmpty) {
    // A full text first, so that stale fields would show if they were read.
    Set("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3");
    EXPECT_EQ(Set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"), Black);
    for (int s = 0; s < 64; ++s) EXPECT_EQ(MoveCount[s], 1);
    EXPECT_EQ(SearchStack[0].EpSquareAfter, 0);
    EXPECT_EQ(WhitePieces.PawnCount, 8);

    Set(StartPositionText);
    EXPECT_EQ(Set("4k3/8/8"), Black);
    EXPECT_EQ(Board[E8], -King);
    EXPECT_EQ(std::popcount(AllPieces()), 1);

    Set(StartPositionText);
    EXPECT_EQ(Set(""), Black);
    EXPECT_EQ(AllPieces(), 0u);

    Set(StartPositionText);
    EXPECT_EQ(SplitFields(nullptr, fields), 0);
    SetupPosition(fields);
    EXPECT_EQ(SideToMove, Black);
    EXPECT_EQ(AllPieces(), 0u);
}

TEST_F(Fen, CastlingOnlyWhereKingAndRookStand) {
    Set("r3k2r/8/8/8/8/8/8/R3K3 w KQkq -");
    EXPECT_FALSE(CastlingAllowed(E1, H1));
    EXPECT_TRUE(CastlingAllowed(E1, A1));
    EXPECT_EQ(MoveCount[H1], 1);
    EXPECT_TRUE(CastlingAllowed(E8, H8));
    EXPECT_TRUE(CastlingAllowed(E8, A8));

    // A black rook on h1 and a white king on e8 grant nothing.
    Set("r3K2r/8/8/8/8/8/8/R3k2r w KQkq -");
    for (int s = 0; s < 64; ++s) EXPECT_EQ(MoveCount[s], 1);

    Set("r3k2r/8/8/8/8/8/8/R3K2R w Kq -");
    EXPECT_TRUE(CastlingAllowed(E1, H1));
    EXPECT_EQ(MoveCount[A1], 1);
    EXPECT_EQ(MoveCount[H8], 1);
    EXPECT_TRUE(CastlingAllowed(E8, A8));
}

TEST_F(Fen, EnPassantSquareTakenAsWritten) {
    Set("4k3/8/8/8/8/8/8/4K3 b - e3");
    EXPECT_EQ(SearchStack[0].EpSquareAfter, 20);
    Set("4k3/8/8/8/8/8/8/4K3 b - E3");
    EXPECT_EQ(SearchStack[0].EpSquareAfter, 0);
    Set("4k3/8/8/8/8/8/8/4K3 b - a8");
    EXPECT_EQ(SearchStack[0].EpSquareAfter, 56);
    Set("4k3/8/8/8/8/8/8/4K3 b - -");
    EXPECT_EQ(SearchStack[0].EpSquareAfter, 0);
}

TEST_F(Fen, ShortRankShiftsEveryLaterRank) {
    // Seven black pawns on rank 7: every later field starts one square early.
    Set("rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    EXPECT_EQ(Board[H7], Empty);
    EXPECT_EQ(Board[H1], Pawn);
    for (int s = A2; s <= G2; ++s) EXPECT_EQ(Board[s], Pawn);
    EXPECT_EQ(Board[H2], Empty);
    EXPECT_EQ(Board[A1], Knight);
    EXPECT_EQ(Board[D1], King);
    EXPECT_EQ(Board[G1], Rook);
    EXPECT_EQ(WhitePieces.KingSquare, D1);
    EXPECT_EQ(WhitePieces.Rooks, SetMask[G1]);  // the first rook fell off the board
    EXPECT_FALSE(CastlingAllowed(E1, H1));
    EXPECT_FALSE(CastlingAllowed(E1, A1));
}

TEST_F(Fen, PiecesPastTheBoardAreDropped) {
    // Twelve kings in the first rank field: eight fit, four would run past h8.
    Set("KKKKKKKKKKKK/8/8/8/8/8/8/8 w - -");
    for (int s = A8; s <= H8; ++s) EXPECT_EQ(Board[s], King);
    EXPECT_EQ(std::popcount(AllPieces()), 8);
    // Later fields start four squares late: the next piece lands on e7.
    Set("KKKKKKKKKKKK/p7/8/8/8/8/8/8 w - -");
    EXPECT_EQ(Board[E7], -Pawn);

    // Short fields walk the cursor below a1.
    Set("1/1/1/1/1/PPP/PPP/PPP w - -");
    EXPECT_EQ(AllPieces(), 0u);
    // A ninth square in the last rank field is a2: the cursor is not re-aligned.
    Set("8/8/8/8/8/8/8/8KQ w - -");
    EXPECT_EQ(Board[A2], King);
    EXPECT_EQ(Board[B2], Queen);
}

TEST_F(Fen, OverlongFieldsAreCutTo31Characters) {
    std::string longRank(100, '1');
    char text[256];
    std::snprintf(text, sizeof text, "%s/next", longRank.c_str());
    ASSERT_EQ(SplitFields(text, fields), 2);
    EXPECT_EQ(std::strlen(fields.Field(0)), 31u);
    EXPECT_STREQ(fields.Field(1), "next");

    // The K after 31 dashes lies beyond the cut, so White keeps no king-side right.
    Set("r3k2r/8/8/8/8/8/8/R3K2R w -------------------------------K -");
    EXPECT_FALSE(CastlingAllowed(E1, H1));
    Set("r3k2r/8/8/8/8/8/8/R3K2R w ------------------------------K -");
    EXPECT_TRUE(CastlingAllowed(E1, H1));
}

TEST_F(Fen, SplitFieldsWritesIntoTheCallersText) {
    char text[] = ",,a/b  c;";
    ASSERT_EQ(SplitFields(text, fields), 3);
    EXPECT_STREQ(fields.Field(0), "a");
    EXPECT_STREQ(fields.Field(2), "c");
    EXPECT_STREQ(fields.Field(3), "");
    EXPECT_EQ(std::memcmp(text, ",,a\0b\0 c\0", 10), 0);

    char separators[] = " ,;=+/ ";
    EXPECT_EQ(SplitFields(separators, fields), 0);

    std::string many;
    for (int i = 0; i < 1100; ++i) many += "x ";
    EXPECT_EQ(SplitFields(many.data(), fields), MaxFields);
}

TEST_F(Fen, TwoKingsOfOneColourKeepTheHigherSquare) {
    Set("8/8/8/8/8/8/8/K6K b - -");
    EXPECT_EQ(WhitePieces.KingSquare, H1);
    Set("k7/8/8/8/8/8/8/k7 b - -");
    EXPECT_EQ(BlackPieces.KingSquare, A8);
}

TEST_F(Fen, KeysFromScratchIgnoreSideToMove) {
    Set("r3k2r/pp3ppp/2n5/3pP3/8/5N2/PPP2PPP/R3K2R w KQkq d6");
    const Key pawnKey = SearchStack[1].PawnKey, pieceKey = SearchStack[1].PieceKey;
    Key expectedPawn = 0, expectedPiece = 0;
    for (int s = 0; s < 64; ++s) {
        const int piece = Board[s];
        if (!piece) continue;
        const Key key = PieceSquareKey(piece > 0 ? White : Black, piece > 0 ? piece : -piece, s);
        (piece == Pawn || piece == -Pawn ? expectedPawn : expectedPiece) ^= key;
    }
    EXPECT_EQ(pawnKey, expectedPawn);
    EXPECT_EQ(pieceKey, expectedPiece);  // no en-passant, castling or side term
    EXPECT_EQ(GamePawnKeys[1], pawnKey);
    EXPECT_EQ(GamePieceKeys[1], pieceKey);

    Set("r3k2r/pp3ppp/2n5/3pP3/8/5N2/PPP2PPP/R3K2R b - -");
    EXPECT_EQ(SearchStack[1].PawnKey, pawnKey);
    EXPECT_EQ(SearchStack[1].PieceKey, pieceKey);
}

TEST_F(Fen, SetupStartsANewGame) {
    GamePly = 40;
    LastIrreversiblePly = 12;
    GamePawnKeys[30] = 99;
    Set(StartPositionText);
    EXPECT_EQ(GamePly, 0);
    EXPECT_EQ(LastIrreversiblePly, 0);
    EXPECT_EQ(GamePawnKeys[30], 0u);
    EXPECT_EQ(GamePieceKeys[1], SearchStack[1].PieceKey);
}

TEST_F(Fen, RebuildLeavesCastledFlagsAndAgesHistory) {
    Set(StartPositionText);
    WhitePieces.Castled = 1;
    History[White][5] = 512;
    RebuildDerivedState();
    EXPECT_EQ(WhitePieces.Castled, 1);
    EXPECT_EQ(History[White][5], 2);
    WhitePieces.Castled = 0;
}

TEST_F(Fen, RebuildAtTheReplayLimitStaysInTheHistory) {
    Set(StartPositionText);
    GamePly = GameReplayLimit;
    RebuildDerivedState();
    EXPECT_EQ(GamePieceKeys[GameReplayLimit + 1], SearchStack[1].PieceKey);
    GamePly = 0;
}

TEST(Squares, ParseSquare) {
    EXPECT_EQ(ParseSquare("a1"), 0);
    EXPECT_EQ(ParseSquare("h8"), 63);
    EXPECT_EQ(ParseSquare("e3xyz"), 20);
    EXPECT_EQ(ParseSquare("i1"), 0);
    EXPECT_EQ(ParseSquare("a9"), 0);
    EXPECT_EQ(ParseSquare("a"), 0);
    EXPECT_EQ(ParseSquare(""), 0);
    EXPECT_EQ(ParseSquare(nullptr), 0);
}

TEST(Squares, SquareNames) {
    char buffer[3] = {'x', 'x', 'x'};
    EXPECT_STREQ(SquareName(E4, buffer), "e4");
    EXPECT_STREQ(SquareName(H8, buffer), "h8");
    EXPECT_STREQ(SquareName(64, buffer), "--");
    EXPECT_STREQ(SquareName(-1, buffer), "--");
    EXPECT_STREQ(buffer, "h8");  // left untouched by the out-of-range calls
    EXPECT_EQ(FileLetter(8), '-');
    EXPECT_EQ(RankDigit(8), '-');
    EXPECT_EQ(FileLetter(0), 'a');
}

}  // namespace
}  // namespace zarn

// Make and undo: the special moves one by one, then random games checked against a from-scratch
// rebuild after every make and every undo, with the generators cross-checked in every position.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "engine/board/fen.h"
#include "engine/moves/attacks.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "tests/engine/moves/support.h"

namespace zarn {
namespace {

using testing::MovesOf;
using testing::SetPosition;
using testing::Sorted;
using testing::Texts;

// Everything make and undo change, apart from the per-ply keys.
struct PositionState {
    SideRecord sides[2];
    int board[64];
    int moveCount[64];
    Bitboard rot90, a1h8, a8h1;

    static PositionState Current() {
        PositionState state{{Sides[Black], Sides[White]}, {}, {}, OccupiedRot90, OccupiedA1H8, OccupiedA8H1};
        std::copy(Board, Board + 64, state.board);
        std::copy(MoveCount, MoveCount + 64, state.moveCount);
        return state;
    }
    void Restore() const {
        Sides[Black] = sides[Black];
        Sides[White] = sides[White];
        OccupiedRot90 = rot90;
        OccupiedA1H8 = a1h8;
        OccupiedA8H1 = a8h1;
    }
    // A readable text of every field, so that a difference shows where it lies.
    std::string Describe() const {
        std::string out;
        const auto put = [&out](long long value) {
            out += ' ';
            out += std::to_string(value);
        };
        for (int side : {White, Black}) {
            const SideRecord& r = sides[side];
            out += (side == White ? "white" : "black");
            for (Bitboard b : {r.Pawns, r.Knights, r.Bishops, r.Rooks, r.Queens, r.Occupied}) put(static_cast<long long>(b));
            for (int n : {r.MinorCount, r.MajorCount, r.PieceMaterial, r.PawnCount, r.Material, r.Castled, r.KingSquare})
                put(n);
            out += "\n";
        }
        out += "rotated";
        for (Bitboard b : {rot90, a1h8, a8h1}) put(static_cast<long long>(b));
        out += "\nboard";
        for (int s = 0; s < 64; ++s) put(board[s]);
        out += "\ncounters";
        for (int s = 0; s < 64; ++s) put(moveCount[s]);
        return out;
    }
};

// Compares the incrementally kept position at a ply with a rebuild from the mailbox. The keys made
// incrementally carry the en-passant terms of the line (epTerms); a rebuild has piece terms only.
void ExpectMatchesRebuild(int ply, Key epTerms, const std::string& line) {
    const PositionState kept = PositionState::Current();
    const Key pawnKey = SearchStack[ply].PawnKey;
    const Key pieceKey = SearchStack[ply].PieceKey;
    const PlyRecord root = SearchStack[1];
    const Key historyPawn = GamePawnKeys[GamePly + 1];
    const Key historyPiece = GamePieceKeys[GamePly + 1];

    RebuildDerivedState();
    ASSERT_EQ(PositionState::Current().Describe(), kept.Describe()) << "after " << line;
    ASSERT_EQ(SearchStack[1].PawnKey, pawnKey) << "after " << line;
    ASSERT_EQ(SearchStack[1].PieceKey ^ epTerms, pieceKey) << "after " << line;

    kept.Restore();
    SearchStack[1] = root;
    GamePawnKeys[GamePly + 1] = historyPawn;
    GamePieceKeys[GamePly + 1] = historyPiece;
}

std::vector<Move> Legal(int side, int ply, std::vector<Move> moves) {
    std::erase_if(moves, [&](Move m) {
        MakeMove(side, m, ply);
        const int exposed = InCheck(side);
        UnmakeMove(side, m, ply);
        return exposed;
    });
    return moves;
}

// The generators of one position against each other, and the playability test against them.
void CrossCheckGenerators(int side, int ply, std::vector<Move>& pool, std::mt19937& random, const std::string& line) {
    GenerateAll(side, ply);
    const std::vector<Move> all = MovesOf(ply);

    side == White ? GenerateCapturesWhite(ply) : GenerateCapturesBlack(ply);
    side == White ? GenerateQuietWhite(ply, SearchStack[ply].MoveEnd)
                  : GenerateQuietBlack(ply, SearchStack[ply].MoveEnd);
    ASSERT_EQ(Texts(Sorted(MovesOf(ply))), Texts(Sorted(all))) << "captures and quiet moves after " << line;

    if (InCheck(side)) {
        side == White ? GenerateEvasionsWhite(ply) : GenerateEvasionsBlack(ply);
        const std::vector<Move> evasions = MovesOf(ply);
        for (const Move m : evasions)
            ASSERT_NE(std::find(all.begin(), all.end(), m), all.end()) << testing::Text(m) << " after " << line;
        ASSERT_EQ(Texts(Sorted(Legal(side, ply, evasions))), Texts(Sorted(Legal(side, ply, all))))
            << "evasions after " << line;
    }

    const auto possible = [&](Move m) {
        return side == White ? IsMovePossibleWhite(m, ply) : IsMovePossibleBlack(m, ply);
    };
    for (const Move m : all) ASSERT_EQ(possible(m), 1) << testing::Text(m) << " after " << line;
    for (const Move m : pool) {
        const bool generated = std::find(all.begin(), all.end(), m) != all.end();
        ASSERT_EQ(possible(m), generated ? 1 : 0) << "remembered " << testing::Text(m) << " after " << line;
    }
    for (const Move m : all) {
        if (pool.size() < 600) pool.push_back(m);
        else pool[random() % pool.size()] = m;
    }
}

TEST(MakeUndo, RandomGamesStayConsistentWithARebuild) {
    const char* starts[] = {
        StartPositionText,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    };
    std::mt19937 random(20240607);
    std::vector<Move> pool;
    int positions = 0, checks = 0;
    for (const char* start : starts) {
        for (int game = 0; game < 25; ++game) {
            int side = SetPosition(start);
            // A new position keeps the castled flags of the last game; undoing a castling move clears
            // the flag, so start every game from clear flags to compare undo with the state before.
            WhitePieces.Castled = BlackPieces.Castled = 0;
            std::string line = start;
            line += " :";
            std::vector<PositionState> before;
            Key epTerms[MaxPly] = {};
            int ply = 1;
            ExpectMatchesRebuild(ply, 0, line);
            while (ply < 90) {
                ++positions;
                checks += InCheck(side);
                CrossCheckGenerators(side, ply, pool, random, line);
                if (::testing::Test::HasFatalFailure()) return;
                GenerateAll(side, ply);
                const std::vector<Move> legal = Legal(side, ply, MovesOf(ply));
                if (legal.empty()) break;
                const Move move = legal[random() % legal.size()];
                before.push_back(PositionState::Current());
                MakeMove(side, move, ply);
                line += ' ';
                line += testing::Text(move);
                const int ep = SearchStack[ply].EpSquareAfter;
                epTerms[ply + 1] = epTerms[ply] ^ (ep ? EpKeys[ep] : 0);
                ExpectMatchesRebuild(ply + 1, epTerms[ply + 1], line);
                if (::testing::Test::HasFatalFailure()) return;
                side = 1 - side;
                ++ply;
            }
            while (ply > 1) {
                --ply;
                side = 1 - side;
                UnmakeMove(side, SearchStack[ply].CurrentMove, ply);
                ASSERT_EQ(PositionState::Current().Describe(), before.back().Describe()) << "undo at ply " << ply << " of " << line;
                before.pop_back();
                ExpectMatchesRebuild(ply, epTerms[ply], line);
                if (::testing::Test::HasFatalFailure()) return;
            }
        }
    }
    EXPECT_GT(positions, 5000);
    EXPECT_GT(checks, 100);
}

TEST(MakeUndo, CastlingMovesTheRookAndOnlyTheKingsCounter) {
    SetPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    const PositionState start = PositionState::Current();
    MakeMove(White, WhiteCastleShort, 1);
    EXPECT_EQ(Board[G1], King);
    EXPECT_EQ(Board[F1], Rook);
    EXPECT_EQ(Board[H1], Empty);
    EXPECT_EQ(Board[E1], Empty);
    EXPECT_EQ(WhitePieces.Castled, 1);
    EXPECT_EQ(WhitePieces.KingSquare, G1);
    EXPECT_EQ(MoveCount[E1], 1);
    EXPECT_EQ(MoveCount[H1], 0);
    EXPECT_EQ(SearchStack[2].PieceKey, SearchStack[1].PieceKey ^ PieceSquareKey(White, King, E1) ^
                                           PieceSquareKey(White, King, G1) ^ PieceSquareKey(White, Rook, H1) ^
                                           PieceSquareKey(White, Rook, F1));
    UnmakeMove(White, WhiteCastleShort, 1);
    EXPECT_EQ(WhitePieces.Castled, 0);
    EXPECT_EQ(PositionState::Current().Describe(), start.Describe());

    MakeMove(Black, BlackCastleLong, 1);
    EXPECT_EQ(Board[C8], -King);
    EXPECT_EQ(Board[D8], -Rook);
    EXPECT_EQ(Board[A8], Empty);
    EXPECT_EQ(BlackPieces.Castled, 1);
    UnmakeMove(Black, BlackCastleLong, 1);
    EXPECT_EQ(PositionState::Current().Describe(), start.Describe());
}

TEST(MakeUndo, TakingARookOnItsHomeSquareEndsCastlingOnThatWing) {
    SetPosition("r3k2r/8/8/8/8/8/1B6/4K3 w kq -");
    const Move takes = MakeMoveCode(B2, H8, Bishop, Rook);
    MakeMove(White, takes, 1);
    EXPECT_EQ(MoveCount[H8], 1);
    EXPECT_EQ(BlackPieces.Material, 500);
    EXPECT_EQ(BlackPieces.MajorCount, 1);
    GenerateQuietBlack(2, MoveStart(2));
    const std::vector<Move> quiet = MovesOf(2);
    EXPECT_EQ(std::count(quiet.begin(), quiet.end(), BlackCastleShort), 0);
    EXPECT_EQ(std::count(quiet.begin(), quiet.end(), BlackCastleLong), 1);
    UnmakeMove(White, takes, 1);
    EXPECT_EQ(MoveCount[H8], 0);
}

TEST(MakeUndo, DoubleStepSetsAnEnPassantSquareOnlyNextToAnEnemyPawn) {
    const Move push = MakeMoveCode(E2, E4, Pawn);
    SetPosition("4k3/8/8/8/3p4/8/4P3/4K3 w - -");
    MakeMove(White, push, 1);
    EXPECT_EQ(SearchStack[1].EpSquareAfter, E3);
    EXPECT_EQ(SearchStack[2].PieceKey, SearchStack[1].PieceKey ^ EpKeys[E3]);
    EXPECT_EQ(SearchStack[2].PawnKey,
              SearchStack[1].PawnKey ^ PieceSquareKey(White, Pawn, E2) ^ PieceSquareKey(White, Pawn, E4));
    UnmakeMove(White, push, 1);

    SetPosition("4k3/8/8/8/2p5/8/4P3/4K3 w - -");
    MakeMove(White, push, 1);
    EXPECT_EQ(SearchStack[1].EpSquareAfter, 0);
    EXPECT_EQ(SearchStack[2].PieceKey, SearchStack[1].PieceKey);
}

TEST(MakeUndo, PromotionWithCaptureMovesEveryCounter) {
    SetPosition("r3k3/1P6/8/8/8/8/8/4K3 w - -");
    const PositionState start = PositionState::Current();
    const Move promotes = MakeMoveCode(B7, A8, Pawn, Rook, Knight);
    MakeMove(White, promotes, 1);
    EXPECT_EQ(WhitePieces.Material - start.sides[White].Material, 200);
    EXPECT_EQ(WhitePieces.PieceMaterial - start.sides[White].PieceMaterial, 3);
    EXPECT_EQ(WhitePieces.MinorCount - start.sides[White].MinorCount, 1);
    EXPECT_EQ(WhitePieces.PawnCount - start.sides[White].PawnCount, -1);
    EXPECT_EQ(BlackPieces.Material - start.sides[Black].Material, -500);
    EXPECT_EQ(BlackPieces.PieceMaterial - start.sides[Black].PieceMaterial, -5);
    EXPECT_EQ(BlackPieces.MajorCount - start.sides[Black].MajorCount, -1);
    EXPECT_EQ(MoveCount[A8], start.moveCount[A8] + 1);
    EXPECT_EQ(Board[A8], Knight);
    EXPECT_EQ(WhitePieces.Knights, SetMask[A8]);
    UnmakeMove(White, promotes, 1);
    EXPECT_EQ(PositionState::Current().Describe(), start.Describe());
}

TEST(MakeUndo, AnEnPassantSquareNamedOnAnOccupiedSquareIsAnOrdinaryCapture) {
    // The text names e6 although a black pawn stands there: taking it is a plain capture, and
    // undoing it must bring back that pawn, not one behind it.
    SetPosition("4k3/8/4p3/3P4/8/8/8/4K3 w - e6");
    const PositionState start = PositionState::Current();
    GenerateCapturesWhite(1);
    ASSERT_EQ(MovesOf(1).size(), 1u);
    const Move takes = MovesOf(1)[0];
    EXPECT_EQ(takes, MakeMoveCode(D5, E6, Pawn, Pawn));
    MakeMove(White, takes, 1);
    EXPECT_EQ(BlackPieces.Pawns, 0u);
    UnmakeMove(White, takes, 1);
    EXPECT_EQ(PositionState::Current().Describe(), start.Describe());
}

}  // namespace
}  // namespace zarn

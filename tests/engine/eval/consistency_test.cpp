// Properties over many positions from random games and hand-made ones: the evaluation of the
// colour-mirrored position is the negation of the original, the pawn hash gives what a fresh
// computation gives, and the breakdown adds up to the value.
#include <sstream>

#include "engine/eval/breakdown.h"
#include "tests/engine/eval/support.h"

namespace zarn::testing {
namespace {

const char* const HandMade[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq -",
    "r2q1rk1/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R2Q1RK1 b - -",
    "4k3/8/4K3/8/4P3/8/8/8 w - -",
    "k7/8/8/8/8/8/8/KBN5 w - -",
    "k7/8/P6p/8/8/8/8/K7 w - -",
    "1n5k/4p3/4N3/3P1P2/8/8/8/6K1 w - -",
    "7k/B6B/6p1/8/8/8/8/6K1 b - -",
    "7k/R1R5/8/8/8/8/8/K7 w - -",
    "7k/RQ6/8/8/8/8/8/K7 b - -",
    "7k/8/8/3P4/8/K7/3r4/8 w - -",
    "r2qk2r/5ppp/8/8/8/8/5PPP/R2QK2R w KQkq -",
    "3qk3/5ppp/8/8/8/5p2/5P1P/3Q2K1 w - -",
    "6k1/8/8/8/8/6P1/5PBP/6K1 w - -",
    "4k3/2b1p3/8/8/8/8/1PP1P1P1/4KB2 w - -",
    "r3k3/2b1p3/8/8/8/8/1PP1P1P1/R3KB2 b - -",
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    "8/p7/8/8/8/7k/8/K1R5 w - -",
    "2kr3r/ppp2ppp/2n5/2b1q3/4P3/2N2Q2/PPP2PPP/R1B2RK1 w - -",
    "6k1/5ppp/8/8/8/8/1q3PPP/R5K1 w - -",
};

class Consistency : public EvalTest {
protected:
    static void SetUpTestSuite() {
        EvalTest::SetUpTestSuite();
        positions = RandomGamePositions(60, 120, 12345);
        positions.insert(positions.end(), std::begin(HandMade), std::end(HandMade));
    }

    void SetUp() override {
        EvalTest::SetUp();
        SetOption("DrawScore", "0");
    }

    // FEN text carries no castled flags, and a random game's castling leaves them set: clear them so
    // that a position and its mirror agree.
    static void SetFresh(const std::string& fen) {
        WhitePieces.Castled = BlackPieces.Castled = 0;
        Set(fen);
    }

    static int SwapColours(int mask) { return ((mask & WhiteCanWin) ? BlackCanWin : 0) | ((mask & BlackCanWin) ? WhiteCanWin : 0); }

    // Whether some side has pawns only on the rook files and at most a minor piece: the only rule
    // that reads the side to move.
    static bool RookPawnRuleExamined() {
        if (WhitePieces.PieceMaterial >= 9 || BlackPieces.PieceMaterial >= 9) return false;
        for (const SideRecord& side : Sides)
            if (side.Pawns && !(side.Pawns & InnerFiles) && side.PieceMaterial < 4) return true;
        return false;
    }

    // Compares the position with its mirror under the given option settings; returns the number of
    // positions left out as tempo-dependent.
    static int CheckMirrors() {
        const int windows[][2] = {{-30000, 30000}, {-50, 50}, {100, 400}, {-700, -200}};
        int restricted = 0;
        for (const std::string& fen : positions) {
            SetFresh(fen);
            const int ep = SearchStack[0].EpSquareAfter;
            const std::string mirror = CurrentFen(SideToMove, ep, true);
            int values[4];
            for (int w = 0; w < 4; ++w) values[w] = Eval(windows[w][0], windows[w][1]);
            const bool both = WhitePieces.PieceMaterial < 9 && BlackPieces.PieceMaterial < 9;
            const int mask = both ? WinnableSides(SideToMove) : 3;
            const bool rookPawns = RookPawnRuleExamined();

            SetFresh(mirror);
            const int mirrorMask = both ? WinnableSides(SideToMove) : 3;
            // The rook-pawn rule gives the tempo to White's king when White is to move, in the White
            // rule and in the Black rule alike, so a position and its mirror may differ there. Such
            // positions are left out; all others must mirror exactly.
            if (mask != SwapColours(mirrorMask)) {
                EXPECT_TRUE(rookPawns) << fen;
                ++restricted;
                continue;
            }
            for (int w = 0; w < 4; ++w)
                EXPECT_EQ(values[w], -Eval(-windows[w][1], -windows[w][0]))
                    << fen << " | " << mirror << " window " << windows[w][0] << ", " << windows[w][1];
        }
        return restricted;
    }

    static inline std::vector<std::string> positions;
};

TEST_F(Consistency, MirroredPositionNegatesTheEvaluation) {
    ASSERT_GT(positions.size(), 3000u);
    const int restricted = CheckMirrors();
    EXPECT_LT(restricted, static_cast<int>(positions.size()) / 20);
}

TEST_F(Consistency, MirrorHoldsWithAsymmetricKingTables) {
    SetOption("SafetyAsymmetry", "30");
    SetOption("OffensiveAsymmetry", "-40");
    SetOption("SafetyScale", "150");
    SetOption("OffensiveScale", "70");
    SetOption("MaterialTrade", "90");
    CheckMirrors();
}

TEST_F(Consistency, RandomGamesReachEveryStage) {
    int endgames = 0, pawnless = 0, restrictedMasks = 0;
    for (const std::string& fen : positions) {
        Set(fen);
        if (WhitePieces.PieceMaterial < 15 || BlackPieces.PieceMaterial < 15) ++endgames;
        if (!(WhitePieces.Pawns | BlackPieces.Pawns)) ++pawnless;
        if (WhitePieces.PieceMaterial < 9 && BlackPieces.PieceMaterial < 9 && WinnableSides(SideToMove) != 3)
            ++restrictedMasks;
    }
    EXPECT_GT(endgames, 500);
    EXPECT_GT(pawnless, 20);
    EXPECT_GT(restrictedMasks, 20);
}

TEST_F(Consistency, PawnHashGivesWhatAFreshComputationGives) {
    ClearPawnHash();
    // The pawn term is only asked for while pawns are on the board (a cleared slot reads as the
    // entry of the empty pawn key).
    std::vector<std::string> withPawns;
    for (const std::string& fen : positions) {
        Set(fen);
        if (WhitePieces.Pawns | BlackPieces.Pawns) withPawns.push_back(fen);
    }
    std::vector<int> cached;
    std::vector<PawnHashEntry> entries;
    for (const std::string& fen : withPawns) {
        Set(fen);
        const int first = EvaluatePawns(1);   // a miss, or a hit left by an earlier position
        EXPECT_EQ(EvaluatePawns(1), first);  // now certainly a hit
        cached.push_back(first);
        entries.push_back(*CurrentPawnEntry);
    }
    FreePawnHash();
    for (std::size_t i = 0; i < withPawns.size(); ++i) {
        Set(withPawns[i]);
        EXPECT_EQ(EvaluatePawns(1), cached[i]) << withPawns[i];
        const PawnHashEntry& fresh = *CurrentPawnEntry;
        const PawnHashEntry& kept = entries[i];
        EXPECT_EQ(fresh.Score, kept.Score);
        EXPECT_EQ(fresh.OpenFiles, kept.OpenFiles);
        EXPECT_EQ(fresh.WhitePassedFiles, kept.WhitePassedFiles);
        EXPECT_EQ(fresh.BlackPassedFiles, kept.BlackPassedFiles);
        EXPECT_EQ(fresh.WhiteKingSideShelter, kept.WhiteKingSideShelter);
        EXPECT_EQ(fresh.BlackQueenSideShelter, kept.BlackQueenSideShelter);
        EXPECT_EQ(fresh.WhitePawnsOnDark + fresh.WhitePawnsOnLight, WhitePieces.PawnCount);
    }
    ASSERT_TRUE(AllocatePawnHash());
}

TEST_F(Consistency, BreakdownAddsUpToTheEvaluation) {
    for (const std::string& fen : positions) {
        SetFresh(fen);
        EvalTrace trace;
        const int value = Traced(trace);
        ASSERT_EQ(value, Eval()) << fen;
        ASSERT_EQ(trace.Sum(), value) << fen;

        // The printed lines: each term line is indented and ends with its contribution.
        std::istringstream text(FormatEvalBreakdown(trace, SideToMove));
        std::string line, last;
        int sum = 0;
        while (std::getline(text, line)) {
            if (line.rfind("  ", 0) == 0) sum += std::stoi(line.substr(line.find_last_of(' ') + 1));
            last = line;
        }
        ASSERT_EQ(last, "Evaluation: " + std::to_string(value)) << fen;
        ASSERT_EQ(sum, value) << fen;
    }
}

TEST_F(Consistency, MalformedSetUpsStayInsideTheTables) {
    // Set-up accepts what it is given: pawns on the back ranks, no kings, crowds of pieces.
    const char* const odd[] = {
        "PPPPPPPP/PPPPPPPP/8/8/8/8/pppppppp/pppppppp w - -",
        "pppppppp/8/8/8/8/8/8/PPPPPPPP b - -",
        "8/8/8/8/8/8/8/8 w - -",
        "QQQQQQQQ/QQQQQQQQ/8/3k4/8/8/qqqqqqqq/K7 w - -",
        "RRRRRRRR/RRRRRRRR/RRRRRRRR/8/8/rrrrrrrr/rrrrrrrr/rrrrrrrr w - -",
        "BBBBBBBB/NNNNNNNN/PPPPPPPP/4k3/4K3/pppppppp/nnnnnnnn/bbbbbbbb b - -",
        "P6P/1P4P1/8/8/8/8/1p4p1/p6p w - -",
    };
    for (const char* fen : odd) {
        SetFresh(fen);
        EvalTrace trace;
        EXPECT_EQ(Traced(trace), Eval()) << fen;
        EXPECT_EQ(trace.Sum(), trace.value) << fen;
    }
}

}  // namespace
}  // namespace zarn::testing

// Shared set-up for the evaluation tests: positions from FEN text, prepared as an analysis prepares them.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/board/tables.h"
#include "engine/eval/pawns.h"
#include "engine/eval/score.h"
#include "engine/interface/options.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "engine/search/phase.h"
#include "engine/search/stack.h"

namespace zarn::testing {

class EvalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitialiseEngine();
        ASSERT_TRUE(AllocatePawnHash());
    }
    static void TearDownTestSuite() { FreePawnHash(); }

    void SetUp() override { RestoreOptionDefaults(); }

    // Sets the position (a new game) and prepares it like an analysis: draw values, phase, king tables.
    static int Set(const std::string& text) {
        std::string copy = text;
        static FieldBuffer fields;
        SplitFields(copy.data(), fields);
        SetupPosition(fields);
        ResetSearchStack();
        RebuildDerivedState();
        Prepare();
        return SideToMove;
    }

    static void Prepare() {
        SetDrawValues(SideToMove);
        PrepareRoot(SideToMove);
    }

    // The value an analysis's static evaluation gives at the root, White's point of view.
    static int Eval(int alpha = -30000, int beta = 30000) { return Evaluate(SideToMove, alpha, beta, 1); }

    static int Traced(EvalTrace& trace) { return EvaluateTraced(SideToMove, -30000, 30000, 1, trace); }

    static const EvalTraceTerm* Term(const EvalTrace& trace, const std::string& name) {
        for (int i = 0; i < trace.count; ++i)
            if (name == trace.terms[i].name) return &trace.terms[i];
        return nullptr;
    }
};

// The placement field of a FEN text: `piece(square)` gives each square's letter, or 0 when empty.
template <class PieceAt>
std::string PlacementText(PieceAt piece) {
    std::string fen;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const char c = piece(MakeSquare(file, rank));
            if (!c) {
                ++empty;
                continue;
            }
            if (empty) fen += static_cast<char>('0' + empty);
            empty = 0;
            fen += c;
        }
        if (empty) fen += static_cast<char>('0' + empty);
        if (rank) fen += '/';
    }
    return fen;
}

// FEN text of the current position with `side` to move and en-passant square `ep` (0 for none);
// mirrored: ranks reversed, colours, side to move, castling rights and en-passant square swapped.
inline std::string CurrentFen(int side, int ep, bool mirrored = false) {
    const auto piece = [&](int square) {
        const int code = mirrored ? -Board[square ^ 56] : Board[square];
        return code == 0 ? '\0' : code > 0 ? "XPNBRQK"[code] : "xpnbrqk"[-code];
    };
    std::string fen = PlacementText(piece);
    fen += (side == White) != mirrored ? " w " : " b ";
    std::string rights;
    const auto allowed = [](int king, int rook) { return MoveCount[king] == 0 && MoveCount[rook] == 0; };
    const bool whiteShort = allowed(E1, H1), whiteLong = allowed(E1, A1);
    const bool blackShort = allowed(E8, H8), blackLong = allowed(E8, A8);
    if (mirrored ? blackShort : whiteShort) rights += 'K';
    if (mirrored ? blackLong : whiteLong) rights += 'Q';
    if (mirrored ? whiteShort : blackShort) rights += 'k';
    if (mirrored ? whiteLong : blackLong) rights += 'q';
    fen += rights.empty() ? "-" : rights;
    if (ep) {
        const int square = mirrored ? ep ^ 56 : ep;
        fen += ' ';
        fen += static_cast<char>('a' + FileOf(square));
        fen += static_cast<char>('1' + RankOf(square));
    } else {
        fen += " -";
    }
    return fen;
}

// Positions of random games from the start position, captures preferred two times in three so that
// the games reach endings. Leaves the last position set.
inline std::vector<std::string> RandomGamePositions(int games, int plies, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> positions;
    static FieldBuffer fields;
    for (int game = 0; game < games; ++game) {
        std::string fen = StartPositionText;
        for (int ply = 0; ply < plies; ++ply) {
            std::string copy = fen;
            SplitFields(copy.data(), fields);
            SetupPosition(fields);
            ResetSearchStack();
            RebuildDerivedState();
            const int side = SideToMove;
            const int count = GenerateLegalMoves(side);
            if (count == 0) break;
            std::vector<Move> moves, captures;
            for (int i = 0; i < count; ++i) {
                const Move move = MoveBuffer[MoveStart(1) + i];
                moves.push_back(move);
                if (MoveCaptured(move)) captures.push_back(move);
            }
            const std::vector<Move>& pool = !captures.empty() && random() % 3 != 0 ? captures : moves;
            const Move move = pool[random() % pool.size()];
            MakeMove(side, move, 1);
            fen = CurrentFen(1 - side, SearchStack[1].EpSquareAfter);
            positions.push_back(fen);
        }
    }
    return positions;
}

}  // namespace zarn::testing

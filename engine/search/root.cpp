// Root search: iterative deepening, aspiration windows, root move ordering and instability.
#include "engine/search/root.h"

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/interface/options.h"
#include "engine/interface/report.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "engine/search/phase.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "engine/search/timer.h"

namespace zarn {

Move CurrentRootMove = 0;
std::int32_t CurrentRootMoveIndex = 0;
std::int32_t RootInstability = 0;
std::int32_t BestMoveChangeDepth = 0;

namespace {

inline constexpr int LastIteration = 31 * OnePly;
inline constexpr int AspirationWidth = 40;

bool Stopped() { return StopFlag.load(std::memory_order_relaxed) != 0; }

// Score of one root move for the root side, searched with the root window (alpha, beta).
int SearchRootMove(int side, Move move, int depth, int alpha, int beta) {
    // The child's variation starts empty: a child answered from the table would otherwise leave the
    // variation of another root move behind this one.
    SearchStack[2].Pv[2] = 0;
    MakeMove(side, move, 1);
    const int score = -Search(1 - side, depth, 2, -beta, -alpha, 1);
    UnmakeMove(side, move, 1);
    return score;
}

// Depth of a root move's child: a check or a pawn push to the second or seventh rank may bring back
// what the ply costs, never more.
int ChildDepth(int side, Move move, int depth) {
    MakeMove(side, move, 1);
    const bool check = InCheck(1 - side) != 0;
    UnmakeMove(side, move, 1);
    SearchStack[2].SideInCheck = check ? 1 : 0;
    int extension = (check ? Options.CheckExtensions : 0) - OnePly;
    const int rank = RankOf(MoveTo(move));
    if (MoveKind(move) == Pawn && (rank == 1 || rank == 6)) extension += Options.PawnPushExtensions;
    if (extension >= 0) extension = 0;
    return depth + extension;
}

// The variation of the root starts with move alone.
void SetRootPv(Move move) {
    SearchStack[2].Pv[2] = 0;
    UpdatePv(move, 1);
}

}  // namespace

int RootSearch(int side) {
    SetDrawValues(side);
    StopFlag.store(0, std::memory_order_relaxed);
    BestMoveChangeDepth = 0;
    NodeCountdown = NodesPerTimeCheck;
    PonderElapsedMs.store(0, std::memory_order_relaxed);
    StartClock();
    NodeCount = 0;

    ResetSearchStack();
    RebuildDerivedState();
    PrepareRoot(side);

    const int count = GenerateLegalMoves(side);
    if (count == 0) return 1;
    if (count == 1) {
        // Only one move: a short search finds its score and variation.
        Limits.LimitMode = LimitFixedDepth;
        Limits.LimitDepth = 5;
    }

    int depth = OnePly;
    int alpha = -MateScore;
    int beta = MateScore;
    int previous = -MateScore;

    for (;;) {
        RootInstability = 0;
        for (int i = 1; i < SearchStack[1].MoveEnd; ++i) {
            const Move move = MoveBuffer[i];
            CurrentRootMove = move;
            CurrentRootMoveIndex = i;
            const int childDepth = ChildDepth(side, move, depth);

            if (ShouldStop(depth, 1)) return 0;
            ReportCurrentMove(depth);

            if (i == 1) {
                int score = SearchRootMove(side, move, childDepth, alpha, beta);
                if (Stopped()) return 0;
                if (score < previous - 10) ++RootInstability;
                for (;;) {
                    while (score <= alpha && alpha > -MateScore) {
                        SetRootPv(move);
                        ReportPv(alpha, depth, ReportFailLow);
                        alpha = -MateScore;
                        score = SearchRootMove(side, move, childDepth, alpha, beta);
                        if (Stopped()) return 0;
                    }
                    if (score < beta || beta >= MateScore) break;
                    SetRootPv(move);
                    ReportPv(beta, depth, ReportFailHigh);
                    beta = MateScore;
                    score = SearchRootMove(side, move, childDepth, alpha, beta);
                    if (Stopped()) return 0;
                }
                alpha = score;
                beta = score + AspirationWidth;
                UpdatePv(move, 1);
                ReportPv(score, depth, ReportExact);
                continue;
            }

            int score = SearchRootMove(side, move, childDepth, alpha, alpha + 1);
            if (Stopped()) return 0;
            if (score <= alpha) continue;
            if (score < beta) {
                SearchStack[2].Pv[2] = 0;
                ++RootInstability;
                score = SearchRootMove(side, move, childDepth, alpha, beta);
                --RootInstability;
                if (Stopped()) return 0;
                if (score <= alpha) continue;
            }
            BestMoveChangeDepth = depth;
            ++RootInstability;
            if (score >= beta) {
                SetRootPv(move);
                ReportPv(beta, depth, ReportFailHigh);
                score = SearchRootMove(side, move, childDepth, alpha, MateScore);
            }
            // The new best move goes to the front; the others keep their order behind it.
            for (int j = i; j > 1; --j) MoveBuffer[j] = MoveBuffer[j - 1];
            MoveBuffer[1] = move;
            if (Stopped()) return 0;
            alpha = score;
            beta = score + AspirationWidth;
            UpdatePv(move, 1);
            ReportPv(score, depth, ReportExact);
            --RootInstability;
        }

        previous = alpha;
        alpha = previous - AspirationWidth;
        beta = previous + AspirationWidth;
        depth += OnePly;
        if (depth > LastIteration) return 0;
    }
}

}  // namespace zarn

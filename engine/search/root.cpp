// Root search: iterative deepening, aspiration windows, root move ordering and instability.
#include "engine/search/root.h"

#include <algorithm>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/interface/options.h"
#include "engine/interface/report.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "engine/search/extra_limits.h"
#include "engine/search/phase.h"
#include "engine/search/root_result.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "engine/search/timer.h"
#include "engine/threads/pool.h"

namespace zarn {

ZARN_PER_THREAD Move CurrentRootMove = 0;
ZARN_PER_THREAD std::int32_t CurrentRootMoveIndex = 0;
ZARN_PER_THREAD std::int32_t RootInstability = 0;
ZARN_PER_THREAD std::int32_t BestMoveChangeDepth = 0;

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

// The aspiration window of one line and its score in the previous iteration.
struct LineWindow {
    int alpha = -MateScore;
    int beta = MateScore;
    int previous = -MateScore;
};

// How one line of an iteration is searched. The primary line is the first: the time check watches
// its stability and its result is the analysis's best line. A quiet line reports no variations (a
// multi-line analysis reports whole iterations instead). A helper's line neither asks the time check
// nor reports anything: it only fills the shared tables.
struct LineRole {
    bool primary = true;
    bool quiet = false;
    bool helper = false;
    int offset = 0;  // a helper: how far along the moves after the first it starts
};

// The index of the root move searched at a step of a line. A helper takes the moves after the first
// from another place than the main searcher, round to where it started: each then finds the moves the
// other searched answered by the shared tables, and the threads share out an iteration's moves.
int RootMoveIndex(int step, int first, int end, LineRole role) {
    const int others = end - first - 1;
    if (!role.helper || step == first || others < 2) return step;
    return first + 1 + (step - first - 1 + role.offset % others) % others;
}

// The caller's report (from five plies on) and the program's own (at every depth).
void ReportBound(int score, int depth, int kind, LineRole role) {
    if (role.quiet) return;
    ReportPv(score, depth, kind);
    ReportRootResult(kind, score, depth);
}

// Ply 1's variation holds the line's new exact result.
void NewExactResult(int score, int depth, LineRole role) {
    if (role.primary) RecordBestLine(score, depth);
    if (role.quiet) return;
    ReportPv(score, depth, ReportExact);
    ReportRootResult(ReportExact, score, depth);
}

// One line of an iteration over the root moves from index first on; the line's best move ends up at
// index first. False when the analysis must end.
bool SearchLine(int side, int depth, int first, LineWindow& window, LineRole role) {
    int& alpha = window.alpha;
    int& beta = window.beta;
    const int end = SearchStack[1].MoveEnd;
    int best = first;  // a helper's new best move goes to the front once the line is over
    for (int step = first; step < end; ++step) {
        const int i = RootMoveIndex(step, first, end, role);
        const Move move = MoveBuffer[i];
        CurrentRootMove = move;
        CurrentRootMoveIndex = i;
        const int childDepth = ChildDepth(side, move, depth);

        if (role.helper) {
            if (Stopped()) return false;
        } else {
            if (ShouldStop(depth, 1)) return false;
            ReportCurrentMove(depth);
        }

        if (i == first) {
            int score = SearchRootMove(side, move, childDepth, alpha, beta);
            if (Stopped()) return false;
            if (role.primary && score < window.previous - 10) ++RootInstability;
            for (;;) {
                while (score <= alpha && alpha > -MateScore) {
                    SetRootPv(move);
                    ReportBound(alpha, depth, ReportFailLow, role);
                    alpha = -MateScore;
                    score = SearchRootMove(side, move, childDepth, alpha, beta);
                    if (Stopped()) return false;
                }
                if (score < beta || beta >= MateScore) break;
                SetRootPv(move);
                ReportBound(beta, depth, ReportFailHigh, role);
                beta = MateScore;
                score = SearchRootMove(side, move, childDepth, alpha, beta);
                if (Stopped()) return false;
            }
            alpha = score;
            beta = score + AspirationWidth;
            UpdatePv(move, 1);
            NewExactResult(score, depth, role);
            continue;
        }

        int score = SearchRootMove(side, move, childDepth, alpha, alpha + 1);
        if (Stopped()) return false;
        if (score <= alpha) continue;
        if (score < beta) {
            SearchStack[2].Pv[2] = 0;
            if (role.primary) ++RootInstability;
            score = SearchRootMove(side, move, childDepth, alpha, beta);
            if (role.primary) --RootInstability;
            if (Stopped()) return false;
            if (score <= alpha) continue;
        }
        if (role.primary) {
            BestMoveChangeDepth = depth;
            ++RootInstability;
        }
        if (score >= beta) {
            SetRootPv(move);
            ReportBound(beta, depth, ReportFailHigh, role);
            score = SearchRootMove(side, move, childDepth, alpha, MateScore);
        }
        // The new best move goes to the front; the others keep their order behind it.
        if (role.helper) {
            best = i;
        } else {
            for (int j = i; j > first; --j) MoveBuffer[j] = MoveBuffer[j - 1];
            MoveBuffer[first] = move;
        }
        if (Stopped()) return false;
        alpha = score;
        beta = score + AspirationWidth;
        UpdatePv(move, 1);
        NewExactResult(score, depth, role);
        if (role.primary) --RootInstability;
    }
    if (best != first) {
        const Move move = MoveBuffer[best];
        for (int j = best; j > first; --j) MoveBuffer[j] = MoveBuffer[j - 1];
        MoveBuffer[first] = move;
    }
    return true;
}

}  // namespace

int RootSearch(int side) {
    SetDrawValues(side);
    StopFlag.store(0, std::memory_order_relaxed);
    BestMoveChangeDepth = 0;
    PonderElapsedMs.store(0, std::memory_order_relaxed);
    StartClock();
    NodeCount = 0;
    // Without a node budget the countdown stays at the time-check interval.
    NodeCountdown = StartNodeTally();
    SelDepth = 0;
    ClearRootResults();

    ResetSearchStack();
    RebuildDerivedState();
    PrepareRoot(side);

    const int count = GenerateLegalMoves(side);
    if (count == 0) return 1;
    if (count == 1) {
        // Only one move: a short search finds its score and variation.
        Limits.LimitMode = LimitKind::FixedDepth;
        Limits.LimitDepth = 5;
    }

    // Helper threads, where there are any, search the same root until this search ends.
    const HelperSearches helpers(side);

    // Line k searches the root moves from index k + 1 on, after the k better lines took their moves
    // to the front.
    const int lines = std::min(RootLineCount(), count);
    LineWindow windows[MaxRootLines];
    int depth = OnePly;

    for (;;) {
        RootInstability = 0;
        if (lines == 1) {
            if (!SearchLine(side, depth, 1, windows[0], {})) return 0;
        } else {
            for (int k = 0; k < lines; ++k) {
                if (!SearchLine(side, depth, 1 + k, windows[k], {k == 0, true})) return 0;
                RecordRootLine(k, windows[k].alpha, depth);
            }
            FinishRootLines(lines, depth);
            for (int k = 0; k < lines; ++k) windows[k].alpha = ReportedRootLine(k).Score;
        }
        if (!FinishIteration(depth)) return 0;

        for (int k = 0; k < lines; ++k) {
            LineWindow& window = windows[k];
            window.previous = window.alpha;
            window.alpha = window.previous - AspirationWidth;
            window.beta = window.previous + AspirationWidth;
        }
        depth += OnePly;
        if (depth > LastIteration) return 0;
    }
}

void HelperRootSearch(int side, int helper, int threads) {
    const int count = SearchStack[1].MoveEnd - MoveStart(1);
    if (count <= 0) return;
    LineWindow window;
    // Helper h of the threads starts its lines h / threads of the way along the moves after the first.
    const LineRole role{false, true, true, (count - 1) * helper / threads};
    // From the first iteration like the main searcher: helpers that start deeper, one ply ahead, made
    // no measurable difference to the nodes two threads need to reach a depth.
    int depth = OnePly;
    for (;;) {
        RootInstability = 0;
        if (!SearchLine(side, depth, 1, window, role)) return;
        window.previous = window.alpha;
        window.alpha = window.previous - AspirationWidth;
        window.beta = window.previous + AspirationWidth;
        depth += OnePly;
        if (depth > LastIteration) return;
    }
}

}  // namespace zarn

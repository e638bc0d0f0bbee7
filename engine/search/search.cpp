// The alpha-beta search: one template on the colour, SearchWhite and SearchBlack its instances.
#include "engine/search/search.h"

#include <algorithm>
#include <array>
#include <climits>

#include "engine/board/board.h"
#include "engine/eval/pawns.h"
#include "engine/eval/score.h"
#include "engine/interface/options.h"
#include "engine/moves/attacks.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/make_steps.h"
#include "engine/moves/moves.h"
#include "engine/moves/undo_steps.h"
#include "engine/search/extra_limits.h"
#include "engine/search/hash.h"
#include "engine/search/history.h"
#include "engine/search/next.h"
#include "engine/search/phase.h"
#include "engine/search/stack.h"
#include "engine/search/timer.h"
#include "engine/threads/busy_moves.h"
#include "engine/threads/pool.h"

namespace zarn {

ZARN_PER_THREAD std::uint32_t NodeCount = 0;
ZARN_PER_THREAD std::int32_t SelDepth = 0;
ZARN_PER_THREAD std::int32_t NodeCountdown = NodesPerTimeCheck;
std::atomic<std::int32_t> StopFlag{0};

namespace {

// 1 when a capture of the first kind answers a capture of the second within the same class:
// pawn for pawn, minor for minor, rook for rook, queen for queen.
constexpr int RecaptureClass[7][7] = {
    {0, 0, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0, 0}, {0, 0, 1, 1, 0, 0, 0}, {0, 0, 1, 1, 0, 0, 0},
    {0, 0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0},
};

// Pawn moves to the second or the seventh rank.
constexpr bool IsPawnPushSquare(int square) { return RankOf(square) == 1 || RankOf(square) == 6; }

constexpr bool IsQuiet(Move move) { return MoveCaptured(move) == 0 && MovePromotion(move) == 0; }

template <int Side>
int DrawScoreOf() {
    return Side == White ? WhiteDrawScore : BlackDrawScore;
}

// Static evaluation from the mover's point of view.
template <int Side>
int EvaluateFor(int alpha, int beta, int ply) {
    if constexpr (Side == White)
        return Evaluate(White, alpha, beta, ply);
    else
        return -Evaluate(Black, -beta, -alpha, ply);
}

template <int Side>
int MaterialFor() {
    return Side == White ? MaterialBalance() : -MaterialBalance();
}

// A quiet move that proved best or refuted the node: its history grows and it becomes killer 1.
template <int Side>
void RewardQuietMove(PlyRecord& record, Move move, int depth) {
    if (!IsQuiet(move)) return;
    std::int32_t& counter = History[Side][MoveFromTo(move)];
    counter = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{counter} + depth * depth / 3600, INT32_MAX));
    if (move != record.Killer1) {
        record.Killer2 = record.Killer1;
        record.Killer1 = move;
    }
}

// What the quiescence needs of a capture, indexed by its kind, captured kind and promotion kind
// (bits 12 to 20 of the move): the material it gains, the value of its victim, and the threshold
// above which its score comes from the static exchange rather than the victim's value.
struct CaptureTerms {
    std::int32_t Gain = 0;
    std::int32_t Victim = 0;
    std::int32_t ExchangeAbove = 0;
};

constexpr int CaptureTermsIndex(Move move) { return static_cast<int>((move >> 12) & 511); }

constexpr std::array<CaptureTerms, 512> MakeCaptureTerms() {
    std::array<CaptureTerms, 512> table{};
    for (int index = 0; index < 512; ++index) {
        const int kind = index & 7, captured = (index >> 3) & 7, promotion = index >> 6;
        if (kind > King || captured > King || promotion > King) continue;
        CaptureTerms& terms = table[index];
        terms.Victim = PieceValue[captured];
        terms.Gain = PieceValue[captured] + (promotion != 0 ? PieceValue[promotion] - PieceValue[Pawn] : 0);
        const int mover = PieceValue[kind];
        // A cheaper mover scores its victim; a dearer one always looks at the exchange; an equal one
        // only when the material is needed (threshold above 0).
        terms.ExchangeAbove = mover < PieceValue[captured] ? INT_MAX : mover > PieceValue[captured] ? INT_MIN : 0;
    }
    return table;
}
constexpr std::array<CaptureTerms, 512> CaptureTermsOf = MakeCaptureTerms();

constexpr Move CapturedBits = Move{7} << 15;
constexpr Move KingCapturedBits = Move{King} << 15;

// The squares a move of the side to move may leave only after the attack test on its king: out of
// check, a move can expose the king only when the king itself moves (tested apart), the mover leaves
// the king's ranks and files while an enemy rook or queen stands on them, or its diagonals while an
// enemy bishop or queen stands on them, or an en-passant capture empties a second square. Every
// other move is legal without the test.
template <int Side>
Bitboard ExposingSquares(int ply, bool inCheck) {
    if (inCheck || EpSquareAt(ply) != 0) return ~Bitboard{0};
    const SideRecord& them = Sides[1 - Side];
    const int king = Sides[Side].KingSquare;
    const Bitboard straight = them.Rooks | them.Queens;
    const Bitboard diagonal = them.Bishops | them.Queens;
    return ((StraightLines[king] & straight) != 0 ? StraightLines[king] : 0) |
           ((DiagonalLines[king] & diagonal) != 0 ? DiagonalLines[king] : 0);
}

template <int Side>
int Quiescence(int ply, int alpha, int beta, int eval) {
    constexpr int Other = 1 - Side;
    if (eval > alpha) {
        alpha = eval;
        if (alpha >= beta) return alpha;
    } else if (alpha > MateScoreBound) {
        return alpha;
    }

    GenerateCaptures<Side>(ply);
    const int start = MoveStart(ply);
    const int end = SearchStack[ply].MoveEnd;
    const int threshold = alpha - 120 - (Sides[Side].Material - Sides[Other].Material);
    // The captures worth playing are gathered at the front, best score first and equal scores in
    // generation order (the order in which the first highest score would be taken again and again).
    // A pruned capture (score below 0) is left out; the entries behind the last kept one are scratch.
    int kept = start;
    for (int i = start; i < end; ++i) {
        const Move move = MoveBuffer[i];
        // A king capture refutes the previous move.
        if ((move & CapturedBits) == KingCapturedBits) return beta;
        const CaptureTerms& terms = CaptureTermsOf[CaptureTermsIndex(move)];
        if (terms.Gain <= threshold) continue;
        int score = terms.Victim;
        if (threshold > terms.ExchangeAbove) {
            score = StaticExchange(Side, MoveFrom(move), MoveTo(move));
            if (score < 0) continue;
        }
        int slot = kept++;
        for (; slot > start && MoveScore[slot - 1] < score; --slot) {
            MoveScore[slot] = MoveScore[slot - 1];
            MoveBuffer[slot] = MoveBuffer[slot - 1];
        }
        MoveScore[slot] = score;
        MoveBuffer[slot] = move;
    }

    for (int i = start; i < kept; ++i) {
        const Move move = MoveBuffer[i];
        MakeMoveOf<Side>(move, ply);
        PrefetchPawnEntry(SearchStack[ply + 1].PawnKey);
        const int score = -SearchNode<Other>(0, ply + 1, -beta, -alpha, 0);
        UnmakeMoveOf<Side>(move, ply);
        // Where every piece can take another, one capture sequence can run to millions of nodes:
        // a stop must not wait for it.
        if (StopFlag.load(std::memory_order_relaxed)) return 0;
        if (score > alpha) {
            if (score >= beta) return score;
            alpha = score;
        }
    }
    return alpha;
}

}  // namespace

template <int Side>
int SearchNode(int depth, int ply, int alpha, int beta, int nullAllowed) {
    constexpr int Other = 1 - Side;

    ++NodeCount;
    if (ply > SelDepth) SelDepth = ply;
    if (--NodeCountdown <= 0) {
        NodeCountdown = CountdownToNextCheck();
        // Only ever raised here, so a stop request from another thread is never lost.
        if (ShouldStop(depth, ply)) StopFlag.store(1, std::memory_order_relaxed);
        // Under a node budget the search ends at once: from here on every node returns unsearched.
        if (CurrentExtraLimits().Nodes != 0 && StopFlag.load(std::memory_order_relaxed)) return 0;
    }

    // Mate distance: no move here can score more than mating on the next ply.
    if (alpha >= MateScore - (ply + 1)) return alpha;
    if (ply >= DeepestPly) return EvaluateFor<Side>(alpha, beta, ply);

    int eval;
    if (depth > OnePly) {
        eval = MaterialFor<Side>();
    } else {
        eval = EvaluateFor<Side>(alpha, beta, ply);
        if (depth < 1 || eval <= alpha - 700) return Quiescence<Side>(ply, alpha, beta, eval);
    }

    PlyRecord& record = SearchStack[ply];
    PlyRecord& next = SearchStack[ply + 1];
    const SideRecord& own = Sides[Side];
    const bool inCheck = record.SideInCheck != 0;

    if (depth <= 2 * OnePly) {
        if (depth <= OnePly && !inCheck && eval >= beta + Options.FutilityPruning) return eval;
        if (eval < beta) nullAllowed = 0;
    } else if (depth <= 3 * OnePly && eval <= alpha - 800) {
        depth -= OnePly;
    }

    if (SearchStack[ply - 1].CurrentMove != 0 && IsRepetition(ply)) return DrawScoreOf<Side>();

    record.HashMove = 0;
    record.BestMove = 0;
    bool threat = false;
    bool needIid = true;
    const int alpha0 = alpha;

    const HashProbe probe = ProbeOrClaim(Side, depth, ply);
    HashEntry* const entry = probe.Entry;
    const HashEntry found = probe.Found();
    if (entry && EntryDepth(found) != 0) {
        const int flags = EntryFlags(found);
        if (EntryDepth(found) >= depth) {
            const int score = EntryScore(found, ply);
            if (flags & Exact) return score;
            if ((flags & LowerBound) && score >= beta) return score;
            if ((flags & UpperBound) && score <= alpha) return score;
        }
        if (flags & MateThreat) threat = true;
        if (EntryDepth(found) >= depth - 2 * OnePly) needIid = false;
        record.HashMove = EntryMove(found);
    }

    if (!inCheck && !threat && nullAllowed == 1 && own.PieceMaterial != 0 &&
        !(own.PieceMaterial <= 5 && depth > 7 * OnePly)) {
        record.CurrentMove = 0;
        record.EpSquareAfter = 0;
        record.MoveEnd = MoveStart(ply);
        record.RecaptureExtended = 0;
        next.SideInCheck = 0;
        next.PawnKey = record.PawnKey;
        next.PieceKey = record.PieceKey;
        const int reduction = depth > 6 * OnePly && own.PieceMaterial > 8 ? 4 * OnePly : 3 * OnePly;
        const int score = -SearchNode<Other>(depth - reduction, ply + 1, -beta, -beta + 1, 0);
        if (score >= beta) return score;
        // Passing would be mated at once: the side faces a mate threat.
        if (score == (ply + 2) - MateScore) threat = true;
    }

    if (depth > 2 * OnePly && needIid && SearchStack[ply - 1].CurrentMove != 0) {
        int lower = alpha, upper = beta;
        if (depth <= 3 * OnePly) {
            if (!inCheck && eval >= beta)
                upper = eval + 100;
            else if (eval <= alpha - 700)
                lower = eval - 100;
        }
        SearchNode<Side>(depth - 2 * OnePly, ply, lower, upper, 0);
        record.HashMove = record.BestMove;
    }

    const Bitboard exposing = ExposingSquares<Side>(ply, inCheck);
    // A move to the square of the previous move is a recapture when that move captured or promoted
    // and was not a recapture itself (64: no square qualifies).
    const Move prev = SearchStack[ply - 1].CurrentMove;
    const int prevCaptured = MoveCaptured(prev);
    const bool prevPromoted = MovePromotion(prev) != 0;
    const int recaptureSquare =
        SearchStack[ply - 1].RecaptureExtended == 0 && (prevCaptured != 0 || prevPromoted) ? MoveTo(prev) : 64;
    const int threatExtension = threat ? Options.ThreatExtensions : 0;

    int best = -MateScore;
    record.PickerStage = Stage::StageHashMove;
    // With other threads searching: later moves that another thread is inside at this node wait
    // for the end of the list.
    const bool sharing = ThreadedBuild && depth >= BusyMoveDepth && ActiveSearchThreads() > 1;
    const Key nodeKey = sharing ? NodeKey(ply) ^ static_cast<Key>(Side) : 0;
    Move deferred[MaxDeferredMoves];
    int deferredCount = 0;
    int deferredNext = -1;  // from the list's end on: the next deferred move
    for (;;) {
        Move move;
        if (deferredNext < 0) {
            move = inCheck ? NextEvasion<Side>(ply) : NextMove<Side>(ply);
            if (move == 0) {
                if (deferredCount == 0) break;
                deferredNext = 0;
            } else if (sharing && best != -MateScore && deferredCount < MaxDeferredMoves &&
                       SharedBusyMoves.Busy(BusyMoves::Of(nodeKey, move))) {
                deferred[deferredCount++] = move;
                continue;
            }
        }
        if (deferredNext >= 0) {
            if (deferredNext == deferredCount) break;
            move = deferred[deferredNext++];
        }
        MakeMoveOf<Side>(move, ply);
        if ((MoveKind(move) == King || ((exposing >> MoveFrom(move)) & 1) != 0) && AttackedBy<Other>(own.KingSquare)) {
            // Rare: the out-of-line copy keeps the loop short.
            Side == White ? UnmakeMoveWhite(move, ply) : UnmakeMoveBlack(move, ply);
            continue;
        }
        // The child's tables, fetched while its extensions and evaluation are worked out.
        PrefetchPawnEntry(next.PawnKey);
        PrefetchBucket(Other, next.PawnKey ^ next.PieceKey);

        int ext = threatExtension;
        record.RecaptureExtended = 0;
        if (AttackedBy<Side>(Sides[Other].KingSquare)) {
            next.SideInCheck = 1;
            ext += Options.CheckExtensions;
        } else {
            next.SideInCheck = 0;
        }
        if (MoveTo(move) == recaptureSquare && (prevPromoted || RecaptureClass[MoveCaptured(move)][prevCaptured] != 0)) {
            record.RecaptureExtended = 1;
            ext += Options.RecaptureExtensions;
        }
        if (MoveKind(move) == Pawn && IsPawnPushSquare(MoveTo(move))) ext += Options.PawnPushExtensions;

        BusyMoves::Mark mark{};
        if (sharing) {
            mark = BusyMoves::Of(nodeKey, move);
            SharedBusyMoves.Enter(mark);
        }
        int score;
        if (best == -MateScore) {
            // The only evasion generated is extended further.
            if (inCheck && record.MoveEnd - MoveStart(ply) == 1) ext += Options.SingleMoveExtensions;
            const int newDepth = depth + (ext > OnePly ? 0 : ext - OnePly);
            next.Pv[ply + 1] = 0;
            score = -SearchNode<Other>(newDepth, ply + 1, -beta, -alpha, 1);
        } else {
            const int newDepth = depth + (ext > OnePly ? 0 : ext - OnePly);
            if (depth > 4 * OnePly) {
                score = -SearchNode<Other>(newDepth, ply + 1, -alpha - 1, -alpha, 1);
                if (score > alpha && score < beta) {
                    next.Pv[ply + 1] = 0;
                    score = -SearchNode<Other>(newDepth, ply + 1, -beta, -alpha, 1);
                }
            } else {
                next.Pv[ply + 1] = 0;
                score = -SearchNode<Other>(newDepth, ply + 1, -beta, -alpha, 1);
            }
        }
        UnmakeMoveOf<Side>(move, ply);
        if (sharing) SharedBusyMoves.Leave(mark);

        if (score > best) {
            record.BestMove = move;
            if (score > alpha) {
                if (score >= beta) {
                    RewardQuietMove<Side>(record, move, depth);
                    StoreEntry(entry, move, depth, ply, score, LowerBound | (threat ? MateThreat : 0));
                    return score;
                }
                UpdatePv(move, ply);
                alpha = score;
            }
            best = score;
        }
        if (StopFlag.load(std::memory_order_relaxed)) return 0;
    }

    if (best == -MateScore) {
        const int score = inCheck ? ply - MateScore : DrawScoreOf<Side>();
        StoreEntry(entry, record.BestMove, depth, ply, score, Exact);
        return score;
    }
    if (best > alpha0) {
        RewardQuietMove<Side>(record, record.BestMove, depth);
        StoreEntry(entry, record.BestMove, depth, ply, best, Exact | (threat ? MateThreat : 0));
        return best;
    }
    StoreEntry(entry, record.BestMove, depth, ply, best, UpperBound | (threat ? MateThreat : 0));
    return best;
}

template int SearchNode<White>(int, int, int, int, int);
template int SearchNode<Black>(int, int, int, int, int);

int SearchWhite(int depth, int ply, int alpha, int beta, int nullAllowed) {
    return SearchNode<White>(depth, ply, alpha, beta, nullAllowed);
}

int SearchBlack(int depth, int ply, int alpha, int beta, int nullAllowed) {
    return SearchNode<Black>(depth, ply, alpha, beta, nullAllowed);
}

int Search(int side, int depth, int ply, int alpha, int beta, int nullAllowed) {
    return side == White ? SearchNode<White>(depth, ply, alpha, beta, nullAllowed)
                         : SearchNode<Black>(depth, ply, alpha, beta, nullAllowed);
}

void UpdatePv(Move move, int ply) {
    Move* row = SearchStack[ply].Pv;
    row[ply] = move;
    if (ply + 1 >= MaxPly) return;
    const Move* next = SearchStack[ply + 1].Pv;
    int i = ply + 1;
    for (; i < MaxPly - 1 && next[i] != 0; ++i) row[i] = next[i];
    row[i] = 0;
}

int IsRepetition(int ply) {
    const Key pawnKey = SearchStack[ply].PawnKey;
    const Key pieceKey = SearchStack[ply].PieceKey;
    int k = ply - 4;
    for (; k >= 1; k -= 2)
        if (SearchStack[k].PawnKey == pawnKey && SearchStack[k].PieceKey == pieceKey) return 1;
    // Entry GamePly + k of the game history holds the position at search ply k.
    for (int i = GamePly + k; i > LastIrreversiblePly; i -= 2)
        if (GamePawnKeys[i] == pawnKey && GamePieceKeys[i] == pieceKey) return 1;
    return 0;
}

}  // namespace zarn

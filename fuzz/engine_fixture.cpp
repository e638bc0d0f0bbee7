// Engine start-up for the engine-level runners, and the checks they share.
#include "fuzz/engine_fixture.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "engine/board/board.h"
#include "engine/board/fen.h"
#include "engine/eval/pawns.h"
#include "engine/interface/zarn.h"
#include "engine/moves/buffer.h"
#include "engine/moves/make.h"
#include "engine/moves/moves.h"
#include "engine/search/stack.h"
#include "fuzz/check.h"

namespace zarn::fuzz {
namespace {

// Reports must carry sane numbers and texts that end within their buffers.
void ZARN_CALL CheckNodes(int nodes, int, int) { ZARN_FUZZ_CHECK(nodes >= 0, "node count %d", nodes); }

void ZARN_CALL CheckDepth(int depth, int) {
    ZARN_FUZZ_CHECK(depth >= 0 && depth <= MaxPly, "depth %d", depth);
}

void ZARN_CALL CheckMove(const char* move, int index, int count) {
    ZARN_FUZZ_CHECK(move != nullptr && std::strlen(move) >= 4 && std::strlen(move) <= 5, "move text");
    ZARN_FUZZ_CHECK(index >= 1 && index <= count && count <= MoveBufferSize, "root move %d of %d", index, count);
}

void ZARN_CALL CheckMainline(const char* line, int score) {
    ZARN_FUZZ_CHECK(line != nullptr && std::strlen(line) < 1024, "variation text");
    ZARN_FUZZ_CHECK(score >= -MateScore && score <= MateScore, "score %d", score);
}

void ZARN_CALL CheckText(const char* text) { ZARN_FUZZ_CHECK(text != nullptr, "null text"); }

const ReportCallbacks checkingCallbacks = {
    static_cast<std::int32_t>(sizeof(ReportCallbacks)), CheckNodes, CheckDepth, CheckMove, CheckMainline, CheckText,
};

struct DerivedState {
    SideRecord sides[2];
    Bitboard rot90, a1h8, a8h1;
    Key pawnKey, pieceKey;
};

DerivedState CurrentDerivedState() {
    return {{Sides[0], Sides[1]}, OccupiedRot90, OccupiedA1H8, OccupiedA8H1, SearchStack[1].PawnKey,
            SearchStack[1].PieceKey};
}

// Castled is left out: taking back a castling clears it, whatever it was before.
bool SameSide(const SideRecord& a, const SideRecord& b) {
    return a.Pawns == b.Pawns && a.Knights == b.Knights && a.Bishops == b.Bishops && a.Rooks == b.Rooks &&
           a.Queens == b.Queens && a.Occupied == b.Occupied && a.MinorCount == b.MinorCount &&
           a.MajorCount == b.MajorCount && a.PieceMaterial == b.PieceMaterial && a.PawnCount == b.PawnCount &&
           a.Material == b.Material && a.KingSquare == b.KingSquare;
}

// A made move's keys may carry an en-passant term that a rebuild does not add, so keys are optional.
bool SameDerivedState(const DerivedState& a, const DerivedState& b, bool withKeys) {
    return SameSide(a.sides[0], b.sides[0]) && SameSide(a.sides[1], b.sides[1]) && a.rot90 == b.rot90 &&
           a.a1h8 == b.a1h8 && a.a8h1 == b.a8h1 && (!withKeys || (a.pawnKey == b.pawnKey && a.pieceKey == b.pieceKey));
}

int KingsOf(int colour) {
    const int king = colour == White ? King : -King;
    return static_cast<int>(std::count(std::begin(Board), std::end(Board), king));
}

std::vector<Move> Sorted(const Move* begin, const Move* end) {
    std::vector<Move> moves(begin, end);
    std::sort(moves.begin(), moves.end());
    return moves;
}

}  // namespace

void PrepareEngine() {
    static const bool started = [] {
        const int granted = ZarnInit(&checkingCallbacks, "", 1024);
        ZARN_FUZZ_CHECK(granted == 1024, "ZarnInit granted %d KB", granted);
        return true;
    }();
    (void)started;
    ZarnClearHashtable();
    ClearPawnHash();
}

int AnalyseWithin(int depth, int budgetMs) {
    using Clock = std::chrono::steady_clock;
    ZarnSetDepth(depth);
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::optional<Clock::time_point> firstStop;
    std::thread stopper([&] {
        std::unique_lock lock(mutex);
        if (ended.wait_for(lock, std::chrono::milliseconds(budgetMs), [&] { return done; })) return;
        firstStop = Clock::now();
        // A stop that comes before the analysis has begun is forgotten when it begins: repeat it.
        do ZarnStopAnalyse();
        while (!ended.wait_for(lock, std::chrono::milliseconds(1), [&] { return done; }));
    });
    const int result = ZarnAnalyse(0);
    const Clock::time_point returned = Clock::now();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    ended.notify_all();
    stopper.join();
    // A stopped analysis unwinds at once; seconds mean a loop that does not look at the stop.
    if (firstStop) {
        const auto lag = std::chrono::duration_cast<std::chrono::milliseconds>(returned - *firstStop).count();
        ZARN_FUZZ_CHECK(lag < StopLagLimitMs, "the analysis ran on for %lld ms after the stop", static_cast<long long>(lag));
    }
    return result;
}

std::vector<char> WritableText(const std::uint8_t* data, std::size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    return text;
}

PositionFacts CurrentPosition() {
    PositionFacts facts;
    std::copy(std::begin(Board), std::end(Board), facts.board.begin());
    facts.side = SideToMove;
    return facts;
}

std::vector<Move> LegalMoves() {
    const int count = GenerateLegalMoves(SideToMove);
    ZARN_FUZZ_CHECK(count >= 0 && count == SearchStack[1].MoveEnd - MoveStart(1), "legal move count %d", count);
    return Sorted(MoveBuffer + MoveStart(1), MoveBuffer + SearchStack[1].MoveEnd);
}

std::vector<Move> RootMoves() { return Sorted(MoveBuffer + MoveStart(1), MoveBuffer + SearchStack[1].MoveEnd); }

void CheckPositionShape(const char* after) {
    ZARN_FUZZ_CHECK(SideToMove == White || SideToMove == Black, "side %d after %s", SideToMove, after);
    for (int s = 0; s < 64; ++s)
        ZARN_FUZZ_CHECK(Board[s] >= -King && Board[s] <= King, "square %d holds %d after %s", s, Board[s], after);
}

void CheckMakeUndo(const std::vector<Move>& legal) {
    // With several kings of a colour the side record names one of them, and a king move and its undo
    // may leave it naming another: only the king squares are then left out.
    const bool singleKings = KingsOf(White) == 1 && KingsOf(Black) == 1;
    auto derivedNow = [singleKings] {
        DerivedState state = CurrentDerivedState();
        if (!singleKings) state.sides[0].KingSquare = state.sides[1].KingSquare = 0;
        return state;
    };
    const PositionFacts before = CurrentPosition();
    const DerivedState derived = derivedNow();
    std::int32_t counters[64];
    std::copy(std::begin(MoveCount), std::end(MoveCount), counters);
    const int side = SideToMove;
    for (const Move move : legal) {
        MakeMove(side, move, 1);
        UnmakeMove(side, move, 1);
        ZARN_FUZZ_CHECK(CurrentPosition() == before, "move %08x not undone on the board", static_cast<unsigned>(move));
        ZARN_FUZZ_CHECK(SameDerivedState(derivedNow(), derived, true), "move %08x not undone in the side records",
                        static_cast<unsigned>(move));
        ZARN_FUZZ_CHECK(std::equal(std::begin(MoveCount), std::end(MoveCount), counters),
                        "move %08x not undone in the castling counters", static_cast<unsigned>(move));
    }
}

void CheckDerivedState(const char* after) {
    if (KingsOf(White) != 1 || KingsOf(Black) != 1) return;
    const DerivedState kept = CurrentDerivedState();
    RebuildDerivedState();
    ZARN_FUZZ_CHECK(SameDerivedState(kept, CurrentDerivedState(), false), "side records differ from a rebuild after %s", after);
}

}  // namespace zarn::fuzz

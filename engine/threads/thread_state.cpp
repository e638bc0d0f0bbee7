// The list of every searching thread's own state, its copies, and the engine's home thread.
#include "engine/threads/thread_state.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "engine/board/board.h"
#include "engine/eval/pawns.h"
#include "engine/eval/score.h"
#include "engine/moves/buffer.h"
#include "engine/search/extra_limits.h"
#include "engine/search/history.h"
#include "engine/search/phase.h"
#include "engine/search/root.h"
#include "engine/search/search.h"
#include "engine/search/stack.h"
#include "engine/threads/per_thread.h"

namespace zarn {
namespace {

// Every object declared ZARN_PER_THREAD, in a fixed order, except the pawn hash access. A new piece of
// per-thread state must be listed here, or a search on another thread would not see it.
template <typename Visit>
void ForEachSearchObject(Visit&& visit) {
    visit(Sides);
    visit(Board);
    visit(MoveCount);
    visit(SideToMove);
    visit(OccupiedRot90);
    visit(OccupiedA1H8);
    visit(OccupiedA8H1);
    visit(GamePly);
    visit(LastIrreversiblePly);
    visit(GamePawnKeys);
    visit(GamePieceKeys);
    visit(MoveBuffer);
    visit(MoveScore);
    visit(SearchStack);
    visit(NodeCount);
    visit(SelDepth);
    visit(NodeCountdown);
    visit(LastNodeCount);
    visit(WrappedNodes);
    visit(GamePhase);
    visit(WhiteDrawScore);
    visit(BlackDrawScore);
    visit(WhiteSafety);
    visit(BlackSafety);
    visit(WhiteOffensive);
    visit(BlackOffensive);
    visit(CurrentRootMove);
    visit(CurrentRootMoveIndex);
    visit(RootInstability);
    visit(BestMoveChangeDepth);
    visit(History);
    visit(WhiteKingDanger);
    visit(BlackKingDanger);
    visit(WhiteAttackPoints);
    visit(BlackAttackPoints);
}

// The pawn hash access: a borrowing thread uses the home thread's table; a helper keeps its own.
template <typename Visit>
void ForEachPawnHashObject(Visit&& visit) {
    visit(PawnHashTable);
    visit(CurrentPawnEntry);
}

std::size_t SearchStateBytes() {
    std::size_t bytes = 0;
    ForEachSearchObject([&](const auto& object) { bytes += sizeof object; });
    return bytes;
}

#if ZARN_THREADED

// Where one thread keeps its state, for a copy made by another thread.
struct StateAddresses {
    std::vector<void*> at;
};

void RecordAddresses(StateAddresses& addresses) {
    auto record = [&](auto& object) { addresses.at.push_back(&object); };
    ForEachSearchObject(record);
    ForEachPawnHashObject(record);
}

void CopyIn(const StateAddresses& from) {
    std::size_t i = 0;
    auto copy = [&](auto& object) { std::memcpy(&object, from.at[i++], sizeof object); };
    ForEachSearchObject(copy);
    ForEachPawnHashObject(copy);
}

void CopyOut(const StateAddresses& to) {
    std::size_t i = 0;
    auto copy = [&](const auto& object) { std::memcpy(to.at[i++], &object, sizeof object); };
    ForEachSearchObject(copy);
    ForEachPawnHashObject(copy);
}

std::mutex homeMutex;
const StateAddresses* home = nullptr;  // guarded by homeMutex

// The calling thread's addresses, worked out when first needed. A thread that ends while it is the
// home leaves the engine without one (and its position with it); the next caller starts afresh.
struct OwnAddresses {
    StateAddresses addresses;
    bool known = false;
    ~OwnAddresses() {
        std::lock_guard lock(homeMutex);
        if (home == &addresses) home = nullptr;
    }
};
thread_local OwnAddresses own;

const StateAddresses& Own() {
    if (!own.known) {
        RecordAddresses(own.addresses);
        own.known = true;
    }
    return own.addresses;
}

#endif

}  // namespace

ThreadStateCopy::ThreadStateCopy() : bytes_(new unsigned char[SearchStateBytes()]) {}

ThreadStateCopy::~ThreadStateCopy() { delete[] bytes_; }

void ThreadStateCopy::Save() {
    std::size_t offset = 0;
    ForEachSearchObject([&](const auto& object) {
        std::memcpy(bytes_ + offset, &object, sizeof object);
        offset += sizeof object;
    });
}

void ThreadStateCopy::Restore() const {
    std::size_t offset = 0;
    ForEachSearchObject([&](auto& object) {
        std::memcpy(&object, bytes_ + offset, sizeof object);
        offset += sizeof object;
    });
}

void ClaimEngineState() {
#if ZARN_THREADED
    std::lock_guard lock(homeMutex);
    const StateAddresses& mine = Own();
    if (home && home != &mine) CopyIn(*home);
    home = &mine;
#endif
}

BorrowedEngineState::BorrowedEngineState() {
#if ZARN_THREADED
    std::lock_guard lock(homeMutex);
    const StateAddresses& mine = Own();
    if (!home) {
        home = &mine;
    } else if (home != &mine) {
        CopyIn(*home);
        home_ = home;
    }
#endif
}

BorrowedEngineState::~BorrowedEngineState() {
#if ZARN_THREADED
    if (!home_) return;
    std::lock_guard lock(homeMutex);
    if (home == home_)
        CopyOut(*home);
    else if (!home)
        home = &Own();
#endif
}

}  // namespace zarn

// Moves that some thread is searching right now, for searches on several threads: a thread that
// reaches a node's later move while another thread is inside the same move of the same node leaves it
// for the end of its move list, by when the other thread's result is usually in the shared tables.
// Threads that would otherwise walk the same subtrees in the same order share the work out instead.
//
// A small table of slots, each holding a tag of a node's key and a move, read and written with relaxed
// atomics: a lost or stale mark only makes a thread search a move sooner or later than it might have,
// never wrongly. In a build without threads nothing here is used.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/board/types.h"

namespace zarn {

// Nodes this deep or deeper (in the search's depth units) take part: below, a move's subtree is too
// small to be worth the marking.
inline constexpr int BusyMoveDepth = 4 * OnePly;

// How many moves of a node may wait for the end of its list; any more are searched in turn.
inline constexpr int MaxDeferredMoves = 32;

class BusyMoves {
public:
    // The slot and tag of a move of the node with this key.
    struct Mark {
        std::uint32_t Slot;
        std::uint32_t Tag;
    };

    static Mark Of(Key nodeKey, Move move) {
        const std::uint64_t h = (nodeKey ^ (static_cast<std::uint64_t>(move) * 0x9E3779B97F4A7C15ull)) * 0xD6E8FEB86659FD93ull;
        return {static_cast<std::uint32_t>(h >> 52) & (Slots - 1), static_cast<std::uint32_t>(h) | 1u};
    }

    bool Busy(Mark mark) const { return slots_[mark.Slot].load(std::memory_order_relaxed) == mark.Tag; }
    void Enter(Mark mark) { slots_[mark.Slot].store(mark.Tag, std::memory_order_relaxed); }
    void Leave(Mark mark) {
        std::uint32_t tag = mark.Tag;
        slots_[mark.Slot].compare_exchange_strong(tag, 0, std::memory_order_relaxed);
    }

private:
    static constexpr std::uint32_t Slots = 1u << 12;
    std::array<std::atomic<std::uint32_t>, Slots> slots_{};
};

// The table the threads of the program's searches share.
extern BusyMoves SharedBusyMoves;

}  // namespace zarn

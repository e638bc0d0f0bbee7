// Moving a searching thread's state (engine/threads/per_thread.h) between threads of a threaded build.
//
// The program sets positions on one thread and may search on another (its UCI session reads commands
// while a search thread runs), and helper threads search a copy of the main searcher's root. The
// engine's state between calls lives with its home thread: the last thread that started the engine or
// set a position. A search on another thread borrows that state for its duration and hands it back,
// so every caller sees one engine, as before. The home thread leaves the engine alone meanwhile (the
// program only stops it or ends pondering from there, which touch shared flags alone).
//
// In the engine library (one thread, plain static state) every function here does nothing.
#pragma once

#include <cstddef>

namespace zarn {

// A copy of one thread's position and search state: board, game history, search stack, move buffer,
// history, node counters, the analysis's prepared tables. Not the pawn hash access, which each thread
// keeps for itself.
class ThreadStateCopy {
public:
    ThreadStateCopy();
    ~ThreadStateCopy();
    ThreadStateCopy(const ThreadStateCopy&) = delete;
    ThreadStateCopy& operator=(const ThreadStateCopy&) = delete;

    // Copies the calling thread's state in, or out over the calling thread's own.
    void Save();
    void Restore() const;

private:
    unsigned char* bytes_;
};

// The calling thread becomes the engine's home, taking the state over from the previous home first.
// Called by every export that starts the engine or changes its position.
void ClaimEngineState();

// For the duration of one analysis: the calling thread searches the home thread's state and hands it
// back afterwards (nothing to do when it is the home thread).
class BorrowedEngineState {
public:
    BorrowedEngineState();
    ~BorrowedEngineState();
    BorrowedEngineState(const BorrowedEngineState&) = delete;
    BorrowedEngineState& operator=(const BorrowedEngineState&) = delete;

private:
    const void* home_ = nullptr;
};

}  // namespace zarn

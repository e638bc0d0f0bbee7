// A position set up by the engine's own FEN reader for a look at it (the side records, the mailbox,
// the attack queries), with the engine's position put back as it was when the look ends. For callers
// that check a position before they hand it to the engine; never while an analysis runs.
#pragma once

#include <memory>
#include <string_view>

namespace zarn {

class ScratchPosition {
public:
    // Sets up the position of the FEN text as ParseFen reads it, building the board tables first when
    // no start-up has built them.
    explicit ScratchPosition(std::string_view fen);
    // Puts back everything ParseFen changed.
    ~ScratchPosition();
    ScratchPosition(const ScratchPosition&) = delete;
    ScratchPosition& operator=(const ScratchPosition&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

}  // namespace zarn

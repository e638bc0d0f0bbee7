// Position set-up from FEN text, and the recomputation of everything derived from the mailbox.
#pragma once

#include "engine/board/types.h"

namespace zarn {

inline constexpr char StartPositionText[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

inline constexpr int MaxFields = 1024;
inline constexpr int FieldSize = 32;  // 31 characters and a NUL

// The fields of one text, each cut to 31 characters. Fields past Count read as empty text.
struct FieldBuffer {
    char Fields[MaxFields][FieldSize];
    int Count = 0;

    const char* Field(int index) const { return index >= 0 && index < Count ? Fields[index] : ""; }
};

// Splits text in place at any of ",;=+/ " (runs count as one; the separator after each field becomes
// a NUL) and copies up to 1024 fields into the buffer. Returns the number of fields; a null text has none.
int SplitFields(char* text, FieldBuffer& buffer);

// Starts a new game (empty game history) and sets the position and SideToMove from the fields.
void SetupPosition(const FieldBuffer& buffer);

// Fields 0-7 are the ranks from rank 8 down, 8 the side to move, 9 the castling rights, 10 the
// en-passant square; later fields are not read. Returns the side to move (White only for "w").
int ParseFen(const FieldBuffer& buffer);

// "a1".."h8" (lower-case file first; later characters not looked at) to 0..63; anything else gives 0.
int ParseSquare(const char* text);

// Recomputes the side records, rotated occupancies and keys from Board, ages the history counters,
// and stores the keys for ply 1 and for the current game ply.
void RebuildDerivedState();

}  // namespace zarn

// A host search request in the engine's text forms: FEN text for the position, coordinate moves for the
// game.
#pragma once

#include <cstddef>

#include "adapter/records.h"

namespace zarn::adapter {

inline constexpr std::size_t FenTextSize = 128;
inline constexpr std::size_t GameTextSize = 4096;

// Writes the request's position as FEN text. The castling rights and the en-passant square are first
// made consistent with the board, and the corrected values are written back into the request.
void BuildFen(SearchRequest& request, char (&fen)[FenTextSize]);

// Writes the request's game moves separated by single blanks ("e2e4 e7e5 e7e8Q"). Returns false when a
// move word is 0; the text is then unusable.
bool BuildGameText(const SearchRequest& request, char (&text)[GameTextSize]);

// One game move word as text: from-square, to-square and a capital promotion letter. Returns the
// number of characters written (4 or 5) into text, which holds at least 6.
int GameMoveText(std::uint16_t word, char* text);

}  // namespace zarn::adapter
